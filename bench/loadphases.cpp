// Times the parts of opening and saving a document outside any window: reading the file,
// decoding it into the editor's storage, finding a string that is not there, encoding it as a
// save does and writing it. Usage: omrik-loadphases FILE [SAVED-COPY]
#include "core/documentfile.h"
#include "core/documentread.h"
#include "platform/filestore.h"
#include "platform/largememory.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    keepFreedBlocks();
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: omrik-loadphases FILE [SAVED-COPY]\n");
        return 2;
    }
    DiskFileStore files;
    QElapsedTimer clock;
    const auto lap = [&clock](const char *what) {
        std::printf("%-28s %8.1f ms\n", what, double(clock.nsecsElapsed()) / 1e6);
        clock.restart();
    };
    clock.start();
    Result<QByteArray> bytes = files.readFile(QString::fromLocal8Bit(argv[1]));
    if (!bytes.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(bytes.failure().message()));
        return 1;
    }
    lap("read");
    LoadedDocument document = loadDocument(std::move(bytes.value()));
    lap("decode");
    const qsizetype found = document.text.indexOf(u"zq\u00e9xq absent");
    lap("find (not there)");
    {
        // As a save makes its parts, into one buffer used over and over.
        DocumentWriter writer(document.text, document.format, nullptr);
        QByteArray part;
        for (Result<bool> more = true; more.ok() && more.value();) {
            part.resize(0);
            more = writer.next(part, 4 * 1024 * 1024);
        }
    }
    lap("encode in parts");
    if (argc > 2) {
        Progress progress;
        if (MaybeFailure failed = writeDocument(
                files, QString::fromLocal8Bit(argv[2]), document.text, document.format, progress))
            std::fprintf(stderr, "%s\n", qPrintable(failed->message()));
        lap("save in parts, with flush");
    }
    return found < 0 ? 0 : 1;
}
