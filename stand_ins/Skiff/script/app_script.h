// The stand-in engine's app file: one directive or action per line; a line starting with
// '#' is a comment.
//   name <text>            app name
//   scale <number>         device pixels per logical unit
//   log <path>             where the engine records what happens
//   on <event>             following actions run on the event: start, view, end, entry <0-13>
//   <action> <args...>     fill R G B | invalidate X Y W H | resize L T R B | require M |
//                          calltext M F TEXT | callvalues M F DATA ARG... | unload M | quit |
//                          log TEXT | threadid | setfilter | crash
// callvalues arguments: i:<int> d:<double> b:<0|1> s:<text> o:<json> f:<function name>
#pragma once

#include <map>
#include <string>
#include <vector>

namespace skiff {

using Action = std::vector<std::string>;

struct AppScript {
  std::string name;
  double scale = 1.0;
  std::string log_path;
  std::map<std::string, std::vector<Action>> handlers;  // "start", "view", "entry 7", ...
};

// False with a message for an unknown directive, a bad number or an action outside "on".
bool ParseAppScript(const std::string& text, AppScript* script, std::string* error);

// Splits on blanks; a token in double quotes keeps its blanks.
std::vector<std::string> SplitTokens(const std::string& line);

// The value of "--<key>=" among the tokens of a command line; empty when absent.
std::string FindSwitch(const std::string& command_line, const std::string& key);

}  // namespace skiff
