#include "tools/Cli.h"

#include <charconv>

namespace tarvelon::cli {

bool Args::flag(const std::string& name) {
  bool found = false;
  for (auto it = words_.begin(); it != words_.end();) {
    if (*it == name) {
      it = words_.erase(it);
      found = true;
    } else {
      ++it;
    }
  }
  return found;
}

std::optional<std::string> Args::option(const std::string& name) {
  auto values = option(name, 1);
  if (!values) return std::nullopt;
  return values->front();
}

std::optional<std::vector<std::string>> Args::option(const std::string& name, int count) {
  std::optional<std::vector<std::string>> result;
  for (std::size_t i = 0; i < words_.size();) {
    const std::string& word = words_[i];
    if (word == name) {
      if (i + count >= words_.size()) {
        throw UsageError(name + " needs " + (count == 1 ? std::string("a value") : std::to_string(count) + " values"));
      }
      result = std::vector<std::string>(words_.begin() + i + 1, words_.begin() + i + 1 + count);
      words_.erase(words_.begin() + i, words_.begin() + i + 1 + count);
    } else if (count == 1 && word.rfind(name + "=", 0) == 0) {
      result = std::vector<std::string>{word.substr(name.size() + 1)};
      words_.erase(words_.begin() + i);
    } else {
      ++i;
    }
  }
  return result;
}

std::vector<std::string> Args::positional() {
  for (const std::string& word : words_) {
    // A lone "-" or a negative number is a value, not an option.
    const bool looksLikeOption = word.size() > 1 && word[0] == '-' && !(word[1] >= '0' && word[1] <= '9');
    if (looksLikeOption) throw UsageError("unknown option " + word);
  }
  return words_;
}

int parseInteger(const std::string& text, const std::string& what, int min, int max) {
  int value = 0;
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto result = std::from_chars(begin, end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end) {
    throw UsageError(what + " must be a whole number, not '" + text + "'");
  }
  if (value < min || value > max) {
    throw UsageError(what + " must lie between " + std::to_string(min) + " and " + std::to_string(max) + ", not " +
                     text);
  }
  return value;
}

}  // namespace tarvelon::cli
