#pragma once
// Saves a fixed list of named properties of a window's components, with the window's
// placement, into the settings back end, and restores them when the window is first shown.
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <functional>

class IniFileStorage;

// The window events a storage takes over. The window fires them: OnShow before it is first
// shown, OnCloseQuery when it is asked to close (clearing canClose refuses), OnDestroy at the
// start of its destruction, while its components still exist. Storages hook in by wrapping
// the handlers already installed.
struct TFormEvents {
    std::function<void(QWidget *sender)> OnShow;
    std::function<void(QWidget *sender, bool &canClose)> OnCloseQuery;
    std::function<void(QWidget *sender)> OnDestroy;
};

// Delivers a widget's show and close events to a TFormEvents, which must outlive the bridge.
// Destruction must be fired by the window itself, while its children still exist. A restore
// failure is rethrown from the show event after the window's own handler ran, for the
// application's error box.
class FormEventBridge : public QObject {
public:
    FormEventBridge(QWidget *form, TFormEvents &events);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_form;
    TFormEvents &m_events;
};

// The window placement as the settings file stores it.
struct TWindowPlacement {
    int showCmd = 1; // 1 normal, 2 minimised, 3 maximised
    int flags = 0;
    QPoint minPosition{-1, -1};
    QPoint maxPosition{-1, -1};
    // left, top, right, bottom of the outer frame of the normal window; right = left + width
    int left = 0, top = 0, right = 0, bottom = 0;
};

class FormStorage : public QObject {
    Q_OBJECT

public:
    FormStorage(QWidget *form, IniFileStorage *storage, QObject *parent = nullptr);

    // Settings (identical for the program's three storages).
    QString AppStoragePath = QStringLiteral("%FORM_NAME%\\");
    QString StoredPropsPath = QStringLiteral("C:\\Users\\Kalbrino\\AppData\\Local");
    int Version = 0;
    bool Active = true;
    // "Component.Property" entries, in order.
    QStringList StoredProps;

    // Drops entries that are malformed or whose component does not exist on the window.
    void ResolveStoredProps();
    // Resolves the list and takes over the window's events, calling the handlers installed
    // before: restore before the previous show handler, save after the previous close-query
    // handler allowed the close, save on destruction if not yet saved.
    void Hook(TFormEvents &events);

    void RestoreSettings();
    void SaveSettings();

    bool Restored() const { return m_restored; }
    bool Saved() const { return m_saved; }
    // True when the last restore moved the window (its own centring must then stay off).
    bool PlacementRestored() const { return m_placementRestored; }

    // The window path ("FormMain") and the base path of the stored properties.
    QString FormPath() const;
    QString PropsBasePath() const;

    // Placement of a top-level widget as the file stores it, and back.
    static TWindowPlacement readPlacement(const QWidget *w);
    static void applyPlacementRect(QWidget *w, const TWindowPlacement &p);
    // The screen's resolution as written to the file: the fixed resolution that all
    // coordinates are designed in.
    static int pixelsPerInch();
    // The desktop size appended to the sized placement keys, "(WxH)".
    static QString desktopSizeSuffix();

private:
    QObject *component(const QString &name) const;
    qint64 placementInt(const QString &path, qint64 defaultValue);
    void restorePlacement(const QString &formPath);
    void savePlacement(const QString &formPath);

    QPointer<QWidget> m_form;
    IniFileStorage *m_storage;
    bool m_restored = false;
    bool m_propertiesRead = false; // false after a restore that failed before the properties
    bool m_saved = false;
    bool m_placementRestored = false;
};

// The three stored-property lists of the main window.
QStringList storedPropsAllgemein();
QStringList storedPropsInstrumente();
QStringList storedPropsCheckBoxes();

// The main window's three storages, FormStorageAllgemein, FormStorageInstrumente and
// FormStorageCheckBoxes (children of `form`, with their lists), hooked into `events` in that
// order. Call once the window's components exist and its own handlers are set.
struct TMainFormStorages {
    FormStorage *Allgemein;
    FormStorage *Instrumente;
    FormStorage *CheckBoxes;
};
TMainFormStorages createMainFormStorages(QWidget *form, IniFileStorage *storage,
                                         TFormEvents &events);
