#include "FormStorage.h"

#include "ControlBounds.h"
#include "IniFileStorage.h"
#include "NumberParse.h"
#include "WindowFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace {

// Splits "Component.Property" at its first "."; both parts trimmed and non-empty.
bool splitEntry(const QString &entry, QString &component, QString &property)
{
    const qsizetype dot = entry.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    component = entry.left(dot).trimmed();
    property = entry.mid(dot + 1).trimmed();
    return !component.isEmpty() && !property.isEmpty();
}

// "%d,%d,%d,%d" into up to four integers; a missing or malformed number keeps its value.
void parseFour(const QString &text, int *values[4])
{
    const QStringList parts = text.split(QLatin1Char(','));
    for (int i = 0; i < 4 && i < parts.size(); ++i) {
        qint64 v = 0;
        if (tg::parseInt64(parts[i].trimmed(), v) && v >= INT32_MIN && v <= INT32_MAX)
            *values[i] = int(v);
    }
}

QString joinFour(int a, int b, int c, int d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

class Bracket {
public:
    explicit Bracket(IniFileStorage *s) : m_s(s) { m_s->BeginBatch(); }
    ~Bracket() { m_s->EndBatch(); }
    Bracket(const Bracket &) = delete;
    Bracket &operator=(const Bracket &) = delete;

private:
    IniFileStorage *m_s;
};

} // namespace

FormEventBridge::FormEventBridge(QWidget *form, TFormEvents &events)
    : QObject(form), m_form(form), m_events(events)
{
    form->installEventFilter(this);
}

bool FormEventBridge::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_form) {
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            if (m_events.OnShow)
                m_events.OnShow(m_form);
        } else if (event->type() == QEvent::Close) {
            bool canClose = true;
            if (m_events.OnCloseQuery)
                m_events.OnCloseQuery(m_form, canClose);
            if (!canClose) {
                event->ignore();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

FormStorage::FormStorage(QWidget *form, IniFileStorage *storage, QObject *parent)
    : QObject(parent), m_form(form), m_storage(storage)
{
}

QString FormStorage::FormPath() const
{
    QString app = AppStoragePath;
    app.replace(QStringLiteral("%FORM_NAME%"), m_form ? m_form->objectName() : QString(),
                Qt::CaseInsensitive);
    if (!app.endsWith(QLatin1Char('\\')))
        app += QLatin1Char('\\');
    return IniFileStorage::ConcatPaths({app});
}

QString FormStorage::PropsBasePath() const
{
    return IniFileStorage::ConcatPaths({FormPath(), StoredPropsPath});
}

QObject *FormStorage::component(const QString &name) const
{
    if (!m_form)
        return nullptr;
    if (m_form->objectName() == name)
        return m_form;
    return m_form->findChild<QObject *>(name);
}

void FormStorage::ResolveStoredProps()
{
    QStringList kept;
    for (const QString &entry : std::as_const(StoredProps)) {
        QString c, p;
        if (splitEntry(entry, c, p) && component(c))
            kept << entry;
    }
    StoredProps = kept;
}

void FormStorage::Hook(TFormEvents &events)
{
    ResolveStoredProps();
    const QPointer<FormStorage> self(this);

    auto prevShow = events.OnShow;
    events.OnShow = [self, prevShow](QWidget *sender) {
        std::exception_ptr failure;
        if (self && self->Active && !self->m_restored) {
            try {
                self->RestoreSettings();
            } catch (...) {
                failure = std::current_exception(); // reported after the window's own handler
            }
        }
        if (prevShow)
            prevShow(sender);
        if (failure)
            std::rethrow_exception(failure);
    };

    auto prevClose = events.OnCloseQuery;
    events.OnCloseQuery = [self, prevClose](QWidget *sender, bool &canClose) {
        // A failure of an earlier handler or storage must not keep this one from saving; the
        // first failure is passed on once every storage has saved.
        std::exception_ptr failure;
        if (prevClose) {
            try {
                prevClose(sender, canClose);
            } catch (...) {
                failure = std::current_exception();
            }
        }
        if (canClose && self && self->Active && self->m_form
            && self->m_form->testAttribute(Qt::WA_WState_Created)) {
            try {
                self->SaveSettings();
            } catch (...) {
                if (!failure)
                    failure = std::current_exception();
            }
        }
        if (failure)
            std::rethrow_exception(failure);
    };

    auto prevDestroy = events.OnDestroy;
    events.OnDestroy = [self, prevDestroy](QWidget *sender) {
        if (self && self->Active && !self->m_saved) {
            try {
                self->SaveSettings();
            } catch (const std::exception &e) {
                std::fprintf(stderr, "Tavelgrid: settings of the window not saved: %s\n", e.what());
            }
        }
        if (prevDestroy)
            prevDestroy(sender);
    };
}

void FormStorage::RestoreSettings()
{
    if (!m_form || !m_storage)
        return;
    const QString formPath = FormPath();
    Bracket bracket(m_storage);
    m_restored = true;
    m_propertiesRead = false;
    m_placementRestored = false;
    if (placementInt(formPath + QStringLiteral("\\FormVersion"), 0) < Version) {
        // Skipped on purpose: the storage counts as restored and saves its values at the end.
        m_propertiesRead = true;
        return;
    }
    // The stored properties are read even when the placement fails, so that the save at the
    // end writes back what the user had and not the initial values.
    std::exception_ptr failure;
    try {
        restorePlacement(formPath);
    } catch (...) {
        failure = std::current_exception();
    }

    const QString base = PropsBasePath();
    for (const QString &entry : std::as_const(StoredProps)) {
        // A failing entry is abandoned on its own; the others still load.
        try {
            QString c, p;
            if (!splitEntry(entry, c, p))
                continue;
            QObject *obj = component(c);
            if (!obj)
                continue;
            m_storage->LoadProperty(base + QLatin1Char('\\') + c + QLatin1Char('_') + p, obj, p);
        } catch (const std::exception &) {
        }
    }
    m_propertiesRead = true;
    if (failure)
        std::rethrow_exception(failure);
}

void FormStorage::SaveSettings()
{
    if (!m_form || !m_storage)
        return;
    if (m_restored && !m_propertiesRead) {
        // The restore failed before it read the stored values: saving now would write the
        // initial values over the user's.
        if (!m_saved)
            std::fprintf(stderr, "Tavelgrid: settings of %s not saved: they could not be restored\n",
                         qPrintable(objectName()));
        m_saved = true;
        return;
    }
    const QString formPath = FormPath();
    Bracket bracket(m_storage);
    m_storage->StoreInt(formPath + QStringLiteral("\\FormVersion"), Version);
    if (!m_restored)
        return;
    // One failing entry must not keep the others from being saved; the failures are reported
    // together afterwards.
    QStringList failures;
    try {
        savePlacement(formPath);
    } catch (const std::exception &e) {
        failures << QString::fromUtf8(e.what());
    }
    const QString base = PropsBasePath();
    for (const QString &entry : std::as_const(StoredProps)) {
        try {
            QString c, p;
            if (!splitEntry(entry, c, p))
                continue;
            if (QObject *obj = component(c))
                m_storage->StoreProperty(base + QLatin1Char('\\') + c + QLatin1Char('_') + p, obj, p);
        } catch (const std::exception &e) {
            failures << QString::fromUtf8(e.what());
        }
    }
    m_saved = true;
    if (!failures.isEmpty())
        throw EStorageError(failures.join(QLatin1Char('\n')).toStdString());
}

qint64 FormStorage::placementInt(const QString &path, qint64 defaultValue)
{
    // A hand-edited placement value that is not a number counts as missing: it must not cost
    // the stored properties that follow it.
    qint64 v = 0;
    return tg::parseInt64(m_storage->LoadText(path, QString()), v) ? v : defaultValue;
}

int FormStorage::pixelsPerInch()
{
    return 120;
}

QString FormStorage::desktopSizeSuffix()
{
    QSize size(0, 0);
    if (const QScreen *s = QGuiApplication::primaryScreen())
        size = s->virtualSize();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

TWindowPlacement FormStorage::readPlacement(const QWidget *w)
{
    TWindowPlacement p;
    p.showCmd = w->isMinimized() ? 2 : w->isMaximized() ? 3 : 1;
    const QRect frame = tg::normalFrame(w);
    p.left = frame.left();
    p.top = frame.top();
    p.right = frame.left() + frame.width();
    p.bottom = frame.top() + frame.height();
    return p;
}

void FormStorage::applyPlacementRect(QWidget *w, const TWindowPlacement &p)
{
    auto lim = [](int v) { return std::clamp(v, -kMaxCoordinate, kMaxCoordinate); };
    const QRect frame(QPoint(lim(p.left), lim(p.top)), QPoint(lim(p.right) - 1, lim(p.bottom) - 1));
    tg::placeFrame(w, [frame](const QMargins &) { return frame; });
}

void FormStorage::restorePlacement(const QString &formPath)
{
    QWidget *w = m_form;
    const QString prefix = formPath + QLatin1Char('\\');
    const QString suffix = desktopSizeSuffix();
    // Flags has no meaning on this platform and is not read.

    TWindowPlacement p = readPlacement(w);
    bool found = false;
    auto readKey = [&](const QString &name, int *values[4]) {
        QString key = prefix + name + suffix;
        if (!m_storage->HasValue(key))
            key = prefix + name;
        if (!m_storage->HasValue(key))
            return;
        found = true;
        parseFour(m_storage->LoadText(key, QString()), values);
    };
    int *minMax[4] = {&p.minPosition.rx(), &p.minPosition.ry(), &p.maxPosition.rx(),
                      &p.maxPosition.ry()};
    readKey(QStringLiteral("MinMaxPos"), minMax);
    int *norm[4] = {&p.left, &p.top, &p.right, &p.bottom};
    readKey(QStringLiteral("NormPos"), norm);

    const qint64 ppi = placementInt(prefix + QStringLiteral("PixelsPerInch"), pixelsPerInch());
    if (found && ppi == pixelsPerInch() && p.left < p.right
        && QGuiApplication::screenAt(QPoint(p.left, p.top))
        && QGuiApplication::screenAt(QPoint(p.right - 1, p.bottom - 1))) {
        applyPlacementRect(w, p);
        m_placementRestored = true;
    }

    const Qt::WindowStates plain =
        w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    switch (placementInt(prefix + QStringLiteral("ShowCmd"), 0)) {
    case 1:
    case 5:
    case 9:
        w->setWindowState(plain);
        break;
    case 2:
    case 6:
    case 7:
        // Shown normal first, then minimised once it is on screen.
        w->setWindowState(plain);
        QTimer::singleShot(0, w, [w] { w->showMinimized(); });
        break;
    case 3:
        w->setWindowState(plain | Qt::WindowMaximized);
        break;
    default:
        break;
    }
}

void FormStorage::savePlacement(const QString &formPath)
{
    const QString prefix = formPath + QLatin1Char('\\');
    const QString suffix = desktopSizeSuffix();
    const TWindowPlacement p = readPlacement(m_form);
    m_storage->StoreInt(prefix + QStringLiteral("FormVersion"), Version);
    m_storage->StoreInt(prefix + QStringLiteral("ShowCmd"), p.showCmd);
    m_storage->StoreInt(prefix + QStringLiteral("Flags"), p.flags);
    m_storage->StoreInt(prefix + QStringLiteral("PixelsPerInch"), pixelsPerInch());
    const QString minMax =
        joinFour(p.minPosition.x(), p.minPosition.y(), p.maxPosition.x(), p.maxPosition.y());
    m_storage->StoreText(prefix + QStringLiteral("MinMaxPos") + suffix, minMax);
    m_storage->StoreText(prefix + QStringLiteral("MinMaxPos"), minMax);
    const QString norm = joinFour(p.left, p.top, p.right, p.bottom);
    m_storage->StoreText(prefix + QStringLiteral("NormPos") + suffix, norm);
    m_storage->StoreText(prefix + QStringLiteral("NormPos"), norm);
}
