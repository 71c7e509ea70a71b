// The INI reader on arbitrary bytes: parsing must not crash or hang, what is written must
// read back unchanged, and typed loads may only fail with a conversion error.
#include "Font.h"
#include "IniFileStorage.h"
#include "IniImage.h"
#include "MaxLen.h"

#include <QCoreApplication>
#include <cstdlib>

// Half a kilobyte holds a dozen sections with their keys, every kind of line and value the reader
// knows. The time per input grows with its length, and cut here the target covers as much code as
// it did with 4 KB inputs.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    defaultMaxLen(argc, argv, 512);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // One storage for all inputs: loading an image replaces all it holds, and loads only read.
    static IniFileStorage &storage = []() -> IniFileStorage & {
        auto *s = new IniFileStorage(QString());
        s->FlushOnDestroy = false;
        return *s;
    }();
    storage.LoadImage(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    const tg::IniImage &image = storage.Image();
    const QByteArray written = image.serialize();
    tg::IniImage again;
    again.parse(written);
    if (again.serialize() != written)
        std::abort();

    // Typed loads per input: 32 reach every kind of line and value, more only slow the search.
    int budget = 32;
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
