#pragma once
// Where the help document lives: beside the program in a build tree, in the program's data
// folder once installed.
#include <QString>

namespace tg {

inline const QString kHelpDocumentName = QStringLiteral("Tavelgrid Doku.pdf");

// The folder holding the help document for a program in programFolder. The data folder is
// found relative to the program, so an installed tree still works when moved elsewhere.
// When neither holds it, the data folder: that is where an installed program looks.
QString helpFolder(const QString &programFolder);

} // namespace tg
