// The help document built beside the program, and the Help menu handler that opens it.
#include "HelpDocument.h"
#include "MainWindow.h"

#include <gtest/gtest.h>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

namespace {

const QString kDocName = QStringLiteral("Tavelgrid Doku.pdf");

QString programFolder() { return QFileInfo(QStringLiteral(TG_APP_PATH)).absolutePath(); }

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Page objects ("/Type /Page", not the "/Pages" tree).
int pageCount(const QByteArray &pdf)
{
    return int(QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"))));
}

int typeset(const QString &guide, const QString &out)
{
    QProcess p;
    p.start(QStringLiteral(TG_HELPDOC_PATH), {guide, out});
    if (!p.waitForFinished(60000))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// Takes the URLs the desktop would be asked to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

} // namespace

TEST(Help, TheGuideIsTypesetBesideTheProgram)
{
    const QByteArray pdf = readFile(QDir(programFolder()).filePath(kDocName));
    ASSERT_FALSE(pdf.isEmpty()) << "no help document beside the program";
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
    EXPECT_GE(pageCount(pdf), 2) << "the whole guide, not a stub";

    // A one-line guide makes one page; a long one many; a missing guide fails and leaves nothing.
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small.md")), big = dir.filePath(QStringLiteral("big.md"));
    {
        QFile f(small);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("# Title\n\nOne line.\n");
        QFile g(big);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        for (int i = 0; i < 400; ++i)
            g.write("A paragraph of the guide that takes a line.\n\n");
    }
    ASSERT_EQ(typeset(small, dir.filePath(QStringLiteral("small.pdf"))), 0);
    EXPECT_EQ(pageCount(readFile(dir.filePath(QStringLiteral("small.pdf")))), 1);
    ASSERT_EQ(typeset(big, dir.filePath(QStringLiteral("big.pdf"))), 0);
    EXPECT_GT(pageCount(readFile(dir.filePath(QStringLiteral("big.pdf")))), 5);
    EXPECT_NE(typeset(dir.filePath(QStringLiteral("none.md")), dir.filePath(QStringLiteral("none.pdf"))), 0);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("none.pdf"))));
}

TEST(Help, TheMenuOpensTheDocumentOrSaysItIsMissing)
{
    UrlCatcher desktop;
    TFormMain w;
    QStringList warnings;
    w.showWarning = [&](const QString &t) { warnings << t; };
    w.helpFolder = programFolder();
    w.HilfeClick();
    EXPECT_TRUE(warnings.isEmpty());
    ASSERT_EQ(desktop.urls.size(), 1);
    EXPECT_EQ(desktop.urls[0], QUrl::fromLocalFile(QDir(programFolder()).filePath(kDocName)));

    QTemporaryDir empty;
    w.helpFolder = empty.path();
    w.HilfeClick();
    EXPECT_EQ(desktop.urls.size(), 1) << "nothing handed to the desktop";
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QDir(empty.path()).filePath(kDocName)));
}

TEST(Help, AnInstalledProgramFindsTheDocumentInItsDataFolder)
{
    // The installed layout: the program in bin/, its data in share/tavelgrid/.
    QTemporaryDir root;
    const QDir top(root.path());
    ASSERT_TRUE(top.mkpath(QStringLiteral("usr/bin")) && top.mkpath(QStringLiteral("usr/share/tavelgrid")));
    const QString bin = top.filePath(QStringLiteral("usr/bin")), data = top.filePath(QStringLiteral("usr/share/tavelgrid"));
    const auto place = [](const QString &folder, bool present) {
        const QString doc = QDir(folder).filePath(kDocName);
        if (present) {
            QFile f(doc);
            return f.open(QIODevice::WriteOnly) && f.write("%PDF-") == 5;
        }
        return !QFileInfo::exists(doc) || QFile::remove(doc);
    };
    struct Row { bool beside, installed; QString expected; };
    for (const Row &r : {Row{false, true, data}, Row{true, false, bin}, Row{true, true, bin},
                         Row{false, false, data}}) {
        ASSERT_TRUE(place(bin, r.beside) && place(data, r.installed));
        EXPECT_EQ(tg::helpFolder(bin).toStdString(), r.expected.toStdString()) << "beside " << r.beside << ", installed " << r.installed;
    }
}

#include "HelpTest.moc"
