// The stored-property lists of the main window's three form storages.
#include "FormStorage.h"

namespace {

void add(QStringList &list, const QString &component, std::initializer_list<const char *> props)
{
    for (const char *p : props)
        list << component + QLatin1Char('.') + QLatin1String(p);
}

} // namespace

QStringList storedPropsAllgemein()
{
    QStringList l;
    add(l, QStringLiteral("ColorBoxShowFarbeVon"), {"Selected"});
    add(l, QStringLiteral("ComPort1"), {"BaudRate"});
    add(l, QStringLiteral("ComboBoxBaud"), {"Text"});
    add(l, QStringLiteral("Image1"), {"Picture", "Visible"});
    add(l, QStringLiteral("RadioButtonBildSichtbar"), {"Checked"});
    add(l, QStringLiteral("BackgroundFill1"), {"FillObject"});
    add(l, QStringLiteral("Instr60"), {"Color", "Height", "Left", "Top", "Visible", "Width"});
    for (int i = 1; i <= 8; ++i)
        add(l, QStringLiteral("LedPanel1Led%1").arg(i), {"Caption"});
    add(l, QStringLiteral("Instr81"),
        {"BevelOuter", "Left", "Height", "ScaleSettings", "SignalSettings", "Top", "Visible", "Width"});
    add(l, QStringLiteral("Instr40"), {"ColorBackGnd", "ColorText", "Height", "Hint", "Left",
                                       "NumDigits", "Top", "Visible", "Width"});
    add(l, QStringLiteral("GvEdit7SegStellen"), {"ValueAsInt"});
    add(l, QStringLiteral("GvEdit7SegStellenNK"), {"ValueAsInt"});
    add(l, QStringLiteral("GvEdit7SegSkalFaktor"), {"Value"});
    for (int i = 41; i <= 44; ++i)
        add(l, QStringLiteral("Instr%1").arg(i), {"BevelInner", "BevelValue", "Font", "FontValue",
                                                  "Left", "LimitUpper", "SignalSettings", "Top",
                                                  "Visible"});
    add(l, QStringLiteral("Instr80"),
        {"BevelOuter", "Left", "Height", "ScaleSettings", "SignalSettings", "Top", "Visible", "Width"});
    add(l, QStringLiteral("Instr35"), {"Alignment", "Color", "Font", "Height", "Left", "Top",
                                       "Transparent", "Visible", "Width"});
    add(l, QStringLiteral("Instr36"),
        {"Color", "Font", "Height", "Left", "Top", "Transparent", "Visible", "Width"});
    return l;
}

QStringList storedPropsInstrumente()
{
    QStringList l;
    const std::initializer_list<const char *> firstAndLastMeter = {
        "BevelInner", "BevelOuter", "BevelValue", "Font", "FontValue", "Height", "Hint", "Left",
        "Options", "ScaleSettings", "SectorSettings", "SignalSettings", "Top", "Visible", "Width"};
    add(l, QStringLiteral("Instr2"), firstAndLastMeter);
    for (int i = 3; i <= 10; ++i)
        add(l, QStringLiteral("Instr%1").arg(i),
            {"BevelInner", "BevelOuter", "Font", "FontValue", "Height", "Hint", "Left", "LogScale",
             "Options", "ScaleSettings", "SectorSettings", "SignalSettings", "Top", "Visible", "Width"});
    for (int i = 70; i <= 73; ++i)
        add(l, QStringLiteral("Instr%1").arg(i),
            {"Font", "Height", "Hint", "Left", "TextOn", "Top", "Visible", "Width"});
    add(l, QStringLiteral("Instr90"), {"BevelInner", "BevelOuter", "Height", "Hint", "Left",
                                       "SignalSettingsCh1", "TimeScale", "Top", "Visible", "Width"});
    add(l, QStringLiteral("Instr1"), firstAndLastMeter);
    return l;
}

QStringList storedPropsCheckBoxes()
{
    QStringList l;
    for (int id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 60, 40, 70, 71, 72, 73, 80, 90, 41, 42, 43, 44, 35, 36})
        add(l, QStringLiteral("CheckBox%1").arg(id), {"Checked"});
    return l;
}

TMainFormStorages createMainFormStorages(QWidget *form, IniFileStorage *storage, TFormEvents &events)
{
    auto make = [&](const char *name, QStringList list) {
        auto *fs = new FormStorage(form, storage, form);
        fs->setObjectName(QLatin1String(name));
        fs->StoredProps = std::move(list);
        fs->Hook(events);
        return fs;
    };
    TMainFormStorages out{};
    out.Allgemein = make("FormStorageAllgemein", storedPropsAllgemein());
    out.Instrumente = make("FormStorageInstrumente", storedPropsInstrumente());
    out.CheckBoxes = make("FormStorageCheckBoxes", storedPropsCheckBoxes());
    return out;
}
