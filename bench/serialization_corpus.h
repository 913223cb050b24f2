// The documents the serialization benchmarks read and write: generated
// champion game data and an ownership reply, each as JSON text and the same
// data as MessagePack bytes and block-style YAML text.
#pragma once

#include <string>
#include <vector>

namespace kel::bench {

struct Corpus {
  std::string name;
  std::string json;
  std::string msgpack;
  std::string yaml;
};

// "game-data" (at least 2 MB of JSON) and "ownership".
std::vector<Corpus> BuildCorpora();

}  // namespace kel::bench
