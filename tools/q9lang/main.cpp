// q9lang TABLE OUT: builds the language file (ui.local) from the translation table.

#include <fstream>
#include <iostream>
#include <sstream>

#include "lang/LanguageFile.h"
#include "platform/DurableFile.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: q9lang TABLE.tsv OUT.local\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "q9lang: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  q9::LanguageResources resources;
  std::string error;
  if (!q9::LanguageResourcesFromTable(text.str(), resources, error)) {
    std::cerr << "q9lang: " << argv[1] << ": " << error << "\n";
    return 1;
  }
  if (!q9::WriteFileDurably(argv[2], q9::SerializeLanguageFile(resources), error)) {
    std::cerr << "q9lang: " << error << "\n";
    return 1;
  }
  return 0;
}
