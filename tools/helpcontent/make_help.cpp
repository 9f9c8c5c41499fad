// make_help OUTPUT TOPIC.md...: checks the help's Markdown and packs it, with
// every picture it shows, into the help browser's content. A link to a topic
// that is not among the inputs, a link of a kind the browser cannot follow,
// or a picture that is missing or not a PNG our reader loads fails the build
// with "file:line: ..." for each.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "helpbrowser/HelpBundle.h"
#include "helpbrowser/HelpMarkdown.h"
#include "imaging/cPNGparser.h"

namespace {

using namespace panorel::help;

bool ReadFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string TopicName(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    return name.size() > 3 ? name.substr(0, name.size() - 3) : name;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: make_help OUTPUT TOPIC.md...\n";
        return 2;
    }
    std::set<std::string> topics;
    for (int i = 2; i < argc; ++i) topics.insert(TopicName(argv[i]));
    HelpBundle bundle;
    std::set<std::string> pictures;
    int problems = 0;
    auto fail = [&](const std::string& file, int line, const std::string& what) {
        std::cerr << file << ":" << line << ": " << what << "\n";
        ++problems;
    };
    for (int i = 2; i < argc; ++i) {
        const std::string file = argv[i];
        std::string text;
        if (!ReadFile(file, text)) {
            fail(file, 0, "cannot be read");
            continue;
        }
        const Page page = ParseMarkdown(text);
        if (page.title.empty()) fail(file, 1, "has no heading for its title");
        for (const Block& block : page.blocks) {
            for (const Span& span : block.spans) {
                if (span.link.empty() || IsExternalLink(span.link)) continue;
                const std::string topic = Utf8FromUtf16(TopicOfLink(span.link));
                if (topic.empty() || !topics.count(topic))
                    fail(file, span.line, "broken link to '" + Utf8FromUtf16(span.link) + "'");
            }
            if (block.kind != BlockKind::Picture) continue;
            const std::string target = Utf8FromUtf16(block.target);
            const std::string picturePath = FolderOf(file) + "/" + target;
            std::string png;
            panorel::imaging::PixelImage image;
            std::string why;
            if (IsExternalLink(block.target) || !ReadFile(picturePath, png)) {
                fail(file, block.line, "missing picture '" + target + "'");
                continue;
            }
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(png.data());
            if (panorel::imaging::cPNGparser::LoadStream(bytes, png.size(), {}, image, why) !=
                panorel::imaging::ParseResult::Loaded) {
                fail(file, block.line, "picture '" + target + "' is not a PNG that can be read" +
                                           (why.empty() ? "" : " (" + why + ")"));
                continue;
            }
            const std::string name = Utf8FromUtf16(FileNameOf(block.target));
            if (pictures.insert(name).second) bundle.pictures.push_back({name, std::move(png)});
        }
        bundle.topics.push_back({TopicName(file), std::move(text)});
    }
    if (problems) {
        std::cerr << problems << " problem(s) in the help; nothing was written\n";
        return 1;
    }
    const std::string out = WriteBundle(bundle);
    std::ofstream file(argv[1], std::ios::binary);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!file) {
        std::cerr << argv[1] << ": cannot be written\n";
        return 1;
    }
    return 0;
}
