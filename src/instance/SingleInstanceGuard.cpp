#include "SingleInstanceGuard.h"

#include "InstanceLock.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace {
int g_guards = 0;
} // namespace

SingleInstanceGuard::SingleInstanceGuard(const InstanceLock &check, QObject *parent)
    : QObject(parent), m_check(check)
{
    if (g_guards > 0) {
        const std::string c = metaObject()->className();
        throw SingleInstanceError(c + ":\rAlready one " + c + " control in this project!");
    }
    ++g_guards;
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    --g_guards;
}

bool SingleInstanceGuard::Loaded()
{
    if (!m_enabled || !m_check.anotherCopyRunning())
        return false;
    switch (m_mode) {
    case oiDefaultMessage:
        QMessageBox::information(nullptr, QGuiApplication::applicationDisplayName(),
                                 QLatin1Char('"') + QGuiApplication::applicationDisplayName()
                                     + QStringLiteral("\" was already started..."));
        m_check.activateFirst();
        break;
    case oiCustom:
        if (OnCustom)
            OnCustom(this);
        else
            m_check.activateFirst();
        break;
    case oiActivateOnly:
        m_check.activateFirst();
        break;
    }
    return true;
}
