#include "app_script.h"

#include <cstdlib>
#include <sstream>

namespace skiff {

std::vector<std::string> SplitTokens(const std::string& line) {
  std::vector<std::string> tokens;
  std::string current;
  bool in_quotes = false, has_token = false;
  for (char ch : line) {
    if (ch == '"') {
      in_quotes = !in_quotes;
      has_token = true;
    } else if ((ch == ' ' || ch == '\t' || ch == '\r') && !in_quotes) {
      if (has_token)
        tokens.push_back(current);
      current.clear();
      has_token = false;
    } else {
      current.push_back(ch);
      has_token = true;
    }
  }
  if (has_token)
    tokens.push_back(current);
  return tokens;
}

std::string FindSwitch(const std::string& command_line, const std::string& key) {
  const std::string prefix = "--" + key + "=";
  for (const std::string& token : SplitTokens(command_line)) {
    if (token.compare(0, prefix.size(), prefix) == 0)
      return token.substr(prefix.size());
  }
  return std::string();
}

bool ParseAppScript(const std::string& text, AppScript* script, std::string* error) {
  std::istringstream in(text);
  std::string line;
  std::string current;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string::npos && line[first] == '#')
      continue;
    std::vector<std::string> tokens = SplitTokens(line);
    if (tokens.empty())
      continue;
    const std::string& head = tokens[0];
    if (head == "name" && tokens.size() == 2) {
      script->name = tokens[1];
    } else if (head == "scale" && tokens.size() == 2) {
      char* end = nullptr;
      double value = std::strtod(tokens[1].c_str(), &end);
      if (!end || *end || value <= 0) {
        *error = "line " + std::to_string(number) + ": bad scale";
        return false;
      }
      script->scale = value;
    } else if (head == "log" && tokens.size() == 2 && current.empty()) {
      script->log_path = tokens[1];
    } else if (head == "on" && tokens.size() >= 2) {
      current = tokens[1];
      for (size_t i = 2; i < tokens.size(); ++i)
        current += " " + tokens[i];
      script->handlers[current];
    } else if (!current.empty()) {
      script->handlers[current].push_back(tokens);
    } else {
      *error = "line " + std::to_string(number) + ": '" + head + "' outside an 'on' block";
      return false;
    }
  }
  return true;
}

}  // namespace skiff
