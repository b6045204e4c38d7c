// Supplier files of any shape: decoding, the divider proposal on the start line and cutting the
// whole file into items must never crash or loop, whatever the bytes.
#include "core/import/Divider.h"
#include "core/import/FieldSplitter.h"
#include "core/import/ImportItem.h"
#include "core/import/LineSource.h"
#include "core/import/TextFile.h"

using namespace tovin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TextFile file =
        TextFile::decode(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    const std::optional<Divider> proposed = Divider::propose(file.line(0));
    // The first byte also picks one of the dividers a user may choose instead.
    const Divider dividers[] = {proposed.value_or(Divider::comma()), Divider::tab(),
                                Divider::twoSpaces(), Divider::bracket(),
                                Divider::separateLines(size ? 1 + data[0] % 5 : 1)};
    const Divider& divider = dividers[size ? data[0] % 5 : 0];
    const FieldSplitter splitter(divider);
    LineSource source(file);
    ImportItem item;
    qsizetype items = 0;
    while (splitter.readItem(source, item))
        if (++items > file.lineCount() + 1)
            __builtin_trap(); // every item uses at least one line
    return 0;
}
