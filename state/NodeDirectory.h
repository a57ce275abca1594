#pragma once

#include <QString>
#include <array>

namespace rt570 {

// The metering nodes of the node list: entry n (1..255) is node n; entry 0 stays empty and
// stands for "no node selected".
constexpr int kNodeEntries = 256;
constexpr int kMaxNodes = 255;

struct NodeEntry {
    QString phone;
    QString name;
};

struct NodeDirectory {
    std::array<NodeEntry, kNodeEntries> entries;
    int loaded = 0; // nodes 1..loaded have a line in the node selector

    // The phone of the node at list position `position` (-1: none selected gives entry 0).
    QString phoneAt(int position) const;
};

} // namespace rt570
