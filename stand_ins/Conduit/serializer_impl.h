// The serialiser object behind the cdSerialize handle.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

struct cdSerialize {
  std::vector<uint8_t> data;
  size_t read_position = 0;
  // Strings handed out by ReadSerialize stay valid until the serialiser goes away.
  std::list<std::string> read_strings;
};
