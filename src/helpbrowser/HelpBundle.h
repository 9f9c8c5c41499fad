#pragma once
// The help browser's content: the topics' Markdown and the pictures they
// show, packed by the build into one resource. The reader trusts nothing in
// it: every length is checked against what is there, and a bundle that is cut
// short or damaged is refused whole.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "helpbrowser/HelpMarkdown.h"

namespace panorel::help {

struct HelpEntry {
    std::string name;  // a topic's name ("hotkeys") or a picture's file name, UTF-8
    std::string data;  // the Markdown or the PNG file
};

struct HelpBundle {
    std::vector<HelpEntry> topics;  // in the order the topic list shows them
    std::vector<HelpEntry> pictures;
};

std::string WriteBundle(const HelpBundle& bundle);
// False, with `error` saying why, unless the bytes hold one whole bundle
// (bytes after it, such as a resource's padding, are ignored).
bool ReadBundle(const std::uint8_t* data, std::size_t size, HelpBundle& out, std::string& error);

struct HelpTopic {
    std::wstring name;  // "hotkeys"
    Page page;
};

struct HelpContent {
    std::vector<HelpTopic> topics;
    std::vector<HelpEntry> pictures;
    bool damaged = false;
};

// The browser's topics from its content resource. Content that cannot be
// read gives one topic that says so, and `damaged`.
HelpContent OpenHelp(const std::uint8_t* data, std::size_t size);

// The topic a command line asks for: a topic's name or title (any case), or
// its number from 1; "1", nothing, or anything unknown is the first topic.
std::size_t FindTopic(const HelpContent& content, const std::wstring& request);

}  // namespace panorel::help
