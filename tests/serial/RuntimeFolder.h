#pragma once
// Points the runtime folder (and with it the folder of announced ports) at a fresh temporary
// folder for the life of a test, so tests neither see nor disturb real announcements.
#include <QTemporaryDir>
#include <QtGlobal>

struct ScopedRuntimeFolder {
    QTemporaryDir dir;
    QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    bool hadValue = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    ScopedRuntimeFolder() { qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit()); }
    ~ScopedRuntimeFolder()
    {
        if (hadValue)
            qputenv("XDG_RUNTIME_DIR", saved);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }
};
