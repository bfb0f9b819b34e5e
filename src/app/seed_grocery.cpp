// Build-time tool: the starter grocery catalogue (z-grocery747.dat) from a
// text list of locations and items, sorted by store and location with its
// headings, as the program itself would save it.
#include <cstdio>
#include <sstream>
#include <string>

#include "foundation/file.h"
#include "grocery/grocery.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: pantrela-seed-grocery LIST OUT\n");
    return 2;
  }
  std::string text;
  if (!pantrela::ReadWholeFile(argv[1], text)) {
    std::fprintf(stderr, "pantrela-seed-grocery: cannot read %s\n", argv[1]);
    return 1;
  }
  std::istringstream in(text);
  std::string line, location;
  pantrela::ByteImage image;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      location = line.substr(1, line.size() - 2);
      continue;
    }
    pantrela::grocery::Item it;
    it.name = line;
    it.location = location;
    image.Append(pantrela::grocery::RecordBytes(it));
  }
  if (!pantrela::WriteFileAtomic(argv[2], pantrela::grocery::SortedFile(image, pantrela::grocery::kByLocation))) {
    std::fprintf(stderr, "pantrela-seed-grocery: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
