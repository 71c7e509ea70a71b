#include "FormStorage.h"

#include "IniFileStorage.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int kGeometryLimit = 32767;

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
        if (prevClose)
            prevClose(sender, canClose);
        if (canClose && self && self->Active && self->m_form
            && self->m_form->testAttribute(Qt::WA_WState_Created))
            self->SaveSettings();
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
    m_placementRestored = false;
    if (m_storage->LoadInt(formPath + QStringLiteral("\\FormVersion"), 0) < Version)
        return;
    restorePlacement(formPath);

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
}

void FormStorage::SaveSettings()
{
    if (!m_form || !m_storage)
        return;
    const QString formPath = FormPath();
    Bracket bracket(m_storage);
    m_storage->StoreInt(formPath + QStringLiteral("\\FormVersion"), Version);
    if (!m_restored)
        return;
    savePlacement(formPath);
    const QString base = PropsBasePath();
    for (const QString &entry : std::as_const(StoredProps)) {
        QString c, p;
        if (!splitEntry(entry, c, p))
            continue;
        if (QObject *obj = component(c))
            m_storage->StoreProperty(base + QLatin1Char('\\') + c + QLatin1Char('_') + p, obj, p);
    }
    m_saved = true;
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
    QRect normal = w->normalGeometry();
    if (!normal.isValid())
        normal = w->geometry();
    const QRect frame = w->frameGeometry();
    const QRect client = w->geometry();
    const int ml = client.left() - frame.left();
    const int mt = client.top() - frame.top();
    const int mr = frame.right() - client.right();
    const int mb = frame.bottom() - client.bottom();
    p.left = normal.x() - ml;
    p.top = normal.y() - mt;
    p.right = p.left + normal.width() + ml + mr;
    p.bottom = p.top + normal.height() + mt + mb;
    return p;
}

void FormStorage::applyPlacementRect(QWidget *w, const TWindowPlacement &p)
{
    auto lim = [](int v) { return std::max(std::min(v, kGeometryLimit), -kGeometryLimit); };
    const QRect frame = w->frameGeometry();
    const QRect client = w->geometry();
    const int mw = frame.width() - client.width();
    const int mh = frame.height() - client.height();
    const int width = std::max(lim(p.right) - lim(p.left) - mw, 1);
    const int height = std::max(lim(p.bottom) - lim(p.top) - mh, 1);
    // A Wayland compositor places windows itself: only the size is restored there.
    if (QGuiApplication::platformName() != QLatin1String("wayland"))
        w->move(lim(p.left), lim(p.top));
    w->resize(width, height);
}

void FormStorage::restorePlacement(const QString &formPath)
{
    QWidget *w = m_form;
    const QString prefix = formPath + QLatin1Char('\\');
    const QString suffix = desktopSizeSuffix();
    m_storage->LoadInt(prefix + QStringLiteral("Flags"), 0); // read, without meaning here

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

    const qint64 ppi = m_storage->LoadInt(prefix + QStringLiteral("PixelsPerInch"), pixelsPerInch());
    if (found && ppi == pixelsPerInch() && p.left < p.right
        && QGuiApplication::screenAt(QPoint(p.left, p.top))
        && QGuiApplication::screenAt(QPoint(p.right - 1, p.bottom - 1))) {
        applyPlacementRect(w, p);
        m_placementRestored = true;
    }

    const Qt::WindowStates plain =
        w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    switch (m_storage->LoadInt(prefix + QStringLiteral("ShowCmd"), 0)) {
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
