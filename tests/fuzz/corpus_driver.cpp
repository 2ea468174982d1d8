// Runs a fuzz harness once over every file of the given corpus directories (or files), so
// that the seeds and every crash reproducer kept beside them are checked by ctest on any
// compiler, with or without sanitizers.

#include <QDir>
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

namespace {

QStringList inputFiles(const QString &path)
{
    if (!QFileInfo(path).isDir())
        return {path};
    QStringList files;
    QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort(); // the same order on every machine, so a failure names the same file
    return files;
}

bool runFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray bytes = file.readAll();
    // An exact-size heap copy, as libFuzzer hands its inputs over: QByteArray's terminating
    // zero would hide a read one byte past the end from AddressSanitizer.
    const std::size_t size = std::size_t(bytes.size());
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[size == 0 ? 1 : size]);
    if (size > 0)
        std::memcpy(exact.get(), bytes.constData(), size);
    std::printf("%s (%zu bytes)\n", qPrintable(path), size);
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(exact.get(), size);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s corpus-directory-or-file...\n", argv[0]);
        return 2;
    }
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        for (const QString &path : inputFiles(QString::fromLocal8Bit(argv[i]))) {
            if (!runFile(path))
                return 1;
            ++inputs;
        }
    }
    // An empty or misplaced corpus must not pass as if every input had been checked.
    if (inputs == 0) {
        std::fprintf(stderr, "no inputs found\n");
        return 1;
    }
    std::printf("%d inputs, no failure\n", inputs);
    return 0;
}
