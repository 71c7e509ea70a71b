// tavelgrid-helpdoc GUIDE.md OUT.pdf: typesets the user guide (Markdown) into the PDF that the
// program's Help menu opens. Runs at build time, so the guide and the program never drift.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tavelgrid-helpdoc GUIDE.md OUT.pdf\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument doc;
    doc.setMarkdown(QString::fromUtf8(in.readAll()));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(10);
    doc.setDefaultFont(font);

    // Written beside the target and renamed, so a failed run leaves no half document behind.
    const QString out = QString::fromLocal8Bit(argv[2]);
    const QString part = out + QStringLiteral(".part");
    QFile::remove(part);
    {
        QPdfWriter writer(part);
        writer.setTitle(QStringLiteral("Tavelgrid Doku"));
        writer.setCreator(QStringLiteral("Tavelgrid"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                                         QPageLayout::Millimeter));
        doc.print(&writer);
    }
    QFile::remove(out);
    if (QFileInfo(part).size() == 0 || !QFile::rename(part, out)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        QFile::remove(part);
        return 1;
    }
    return 0;
}
