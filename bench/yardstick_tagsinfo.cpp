// The yardstick for -createTagsInfo: a simple program without Qt that reads the tag file,
// renders it and writes the rendering through a temporary file renamed over the output, the
// same bytes as the tool for the well-formed modules the benchmark makes.
//
//   yardstick_tagsinfo <input> <output>
#include "yardstick_text.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: yardstick_tagsinfo <input> <output>\n", stderr);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::string body;
    body.reserve(file.size());
    std::set<std::string_view> names;
    std::size_t values = 0;
    for (std::size_t position = 0; position < file.size();) {
        std::size_t end = file.find('\n', position);
        if (end == std::string::npos) {
            end = file.size();
        }
        const std::string_view line =
            trimmed(std::string_view(file).substr(position, end - position));
        position = end + 1;
        const std::size_t equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view name = trimmed(line.substr(0, equals));
        std::string_view value = trimmed(line.substr(equals + 1));
        std::string unquoted;
        if (!value.empty() && value.front() == '"') {
            for (std::size_t i = 1; i + 1 < value.size(); ++i) {
                i += value[i] == '\\' ? 1 : 0;
                unquoted += value[i];
            }
            value = unquoted;
        }
        names.insert(name);
        ++values;
        body.append(name).append(" = ");
        if (!value.empty() &&
            (value.front() == ' ' || value.front() == '\t' || value.back() == ' ' ||
             value.back() == '\t' || value.front() == '"')) {
            body += '"';
            for (const char c : value) {
                if (c == '"' || c == '\\') {
                    body += '\\';
                }
                body += c;
            }
            body += '"';
        } else {
            body.append(value);
        }
        body += '\n';
    }

    std::string_view source = argv[1];
    source = source.substr(source.rfind('/') + 1);
    std::ostringstream head;
    head << "# tags of " << source << "\n# " << values << (values == 1 ? " value, " : " values, ")
         << names.size() << (names.size() == 1 ? " distinct tag\n" : " distinct tags\n");

    const std::string temporary = std::string(argv[2]) + ".yardstick-tmp";
    {
        std::ofstream out(temporary, std::ios::binary);
        out << head.str() << body;
        if (!out.flush()) {
            std::perror(temporary.c_str());
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), argv[2]) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    return 0;
}
