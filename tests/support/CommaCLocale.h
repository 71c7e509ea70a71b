#pragma once
// Puts the C library into a real comma-decimal locale (de_DE.UTF-8) for a scope, as Qt does at
// start on a German desktop, so that tests see every number path that follows it. A machine
// without that locale gets one generated with localedef into a temporary folder (the sources
// come with Debian's "locales" package); when that fails too, problem() says why.
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <clocale>
#include <string>

class ScopedCommaCLocale {
public:
    ScopedCommaCLocale() : saved(std::setlocale(LC_ALL, nullptr))
    {
        if (!std::setlocale(LC_ALL, Name)) {
            const QString folder = generatedFolder(m_problem);
            if (folder.isEmpty())
                return;
            qputenv("LOCPATH", folder.toLocal8Bit());
            if (!std::setlocale(LC_ALL, Name)) {
                m_problem = QStringLiteral("setlocale refuses the generated locale in ") + folder;
                return;
            }
        }
        if (std::string(std::localeconv()->decimal_point) != ",")
            m_problem = QStringLiteral("the locale's decimal point is not a comma");
    }
    ~ScopedCommaCLocale() { std::setlocale(LC_ALL, saved.c_str()); }
    ScopedCommaCLocale(const ScopedCommaCLocale &) = delete;
    ScopedCommaCLocale &operator=(const ScopedCommaCLocale &) = delete;

    // Empty when the comma locale is in force.
    QString problem() const { return m_problem; }

private:
    static constexpr const char *Name = "de_DE.UTF-8";

    // The folder to use as LOCPATH, generated once per process; empty on failure.
    static QString generatedFolder(QString &problem)
    {
        static QTemporaryDir dir;
        static QString error;
        static bool tried = false;
        if (!tried) {
            tried = true;
            const char *source = "/usr/share/i18n/locales/de_DE";
            if (!QFile::exists(QString::fromLatin1(source))) {
                error = QStringLiteral("no %1 (Debian package \"locales\")").arg(QString::fromLatin1(source));
            } else {
                QProcess p;
                p.start(QStringLiteral("localedef"),
                        {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                         dir.filePath(QString::fromLatin1(Name))});
                if (!p.waitForFinished(120000))
                    error = QStringLiteral("localedef did not run: ") + p.errorString();
                else if (!QFile::exists(dir.filePath(QString::fromLatin1(Name) + QStringLiteral("/LC_NUMERIC"))))
                    error = QStringLiteral("localedef failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
            }
        }
        problem = error;
        return error.isEmpty() ? dir.path() : QString();
    }

    std::string saved;
    QString m_problem;
};
