// Decoding a text file: the UTF-8 check, the Windows-1252 fallback and the line index.
#include "core/import/TextFile.h"

using namespace tovin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TextFile file = TextFile::decode(bytes);
    qsizetype total = 0;
    for (qsizetype i = 0; i < file.lineCount(); ++i)
        total += file.line(i).size() + file.lineEnd(i).size();
    if (total != file.text().size())
        __builtin_trap(); // the lines and their ends must cover the whole text
    if (file.encoding() == TextFile::Encoding::Windows1252 && TextFile::isValidUtf8(bytes) &&
        !file.hadByteOrderMark())
        __builtin_trap();
    return 0;
}
