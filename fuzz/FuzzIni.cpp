// The INI reader on arbitrary bytes: parsing must not crash or hang, what is written must
// read back unchanged, and typed loads may only fail with a conversion error.
#include "Font.h"
#include "IniFileStorage.h"
#include "IniImage.h"

#include <QCoreApplication>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    tg::IniImage image;
    image.parse(bytes.toByteArray());
    const QByteArray written = image.serialize();
    tg::IniImage again;
    again.parse(written);
    if (again.serialize() != written)
        std::abort();

    IniFileStorage storage{QString()};
    storage.FlushOnDestroy = false;
    storage.LoadImage(bytes);
    int budget = 64;
    for (qsizetype i = 0; i < image.sectionCount(); ++i) {
        if (--budget < 0)
            break;
        const QString name = image.sectionName(i);
        TFont font;
        try {
            storage.LoadObject(name, &font);
        } catch (const EStorageError &) {
        }
        for (const auto &e : image.entries(i)) {
            if (--budget < 0)
                break;
            double d = 0;
            bool present = false;
            IniFileStorage::textToFloat(e.value, u',', d, present);
            try {
                const QString path = name + QLatin1Char('\\') + e.key;
                storage.LoadBool(path, false);
            } catch (const EStorageError &) {
            }
        }
    }
    return 0;
}
