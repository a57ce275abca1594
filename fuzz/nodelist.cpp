// The node list reader on arbitrary file contents.
#include "gsm/NodeListReader.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const rt570::NodeDirectory nodes = rt570::parseNodeList(bytes);
    for (int position = -1; position <= nodes.loaded; ++position)
        (void)nodes.phoneAt(position);
    return 0;
}
