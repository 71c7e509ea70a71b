#include "HelpDocument.h"

#include <QDir>
#include <QFileInfo>

namespace tg {

QString helpFolder(const QString &programFolder)
{
    const QDir program(programFolder);
    if (QFileInfo(program.filePath(kHelpDocumentName)).isFile())
        return program.path();
    return QDir::cleanPath(program.filePath(QStringLiteral(TG_HELP_RELDIR)));
}

} // namespace tg
