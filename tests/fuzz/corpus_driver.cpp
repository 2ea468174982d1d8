// Runs a fuzz harness once over every file of the given corpus directories (or files), so
// that the seeds and every crash reproducer kept beside them are checked by ctest on any
// compiler, with or without sanitizers.

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next());
        if (!QFileInfo(path).isDir())
            files.append(path);
    }
    files.sort(); // the same order on every machine, so a failure names the same file
    // An empty or misplaced corpus must not pass as if every input had been checked.
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: %s corpus-directory-or-file..., no inputs found\n", argv[0]);
        return 1;
    }
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(path));
        const QByteArray bytes = file.readAll();
        // An exact-size heap copy, as libFuzzer hands its inputs over: QByteArray's
        // terminating zero would hide a read one byte past the end from AddressSanitizer.
        const std::size_t size = std::size_t(bytes.size());
        std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[size == 0 ? 1 : size]);
        std::memcpy(exact.get(), bytes.constData(), size);
        std::printf("%s (%zu bytes)\n", qPrintable(path), size);
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(exact.get(), size);
    }
    std::printf("%lld inputs, no failure\n", static_cast<long long>(files.size()));
    return 0;
}
