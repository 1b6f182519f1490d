#include "select/CustomArea.h"

#include <algorithm>

#include "select/IntegerText.h"

namespace tarvelon {

namespace {

constexpr const char* kLongitudeMessage = "INVALID ENTRY\nLongitude span must lie between -180\xC2\xB0 and +180\xC2\xB0.";
constexpr const char* kLatitudeMessage = "INVALID ENTRY\nLatitude value must lie between +85\xC2\xB0 and -85\xC2\xB0.";
constexpr const char* kWidthMessage = "INVALID ENTRY\nMap Width must lie between 1\xC2\xB0 and 50\xC2\xB0.";
constexpr const char* kHeightMessage = "INVALID ENTRY\nMap Height must lie between 1\xC2\xB0 and 50\xC2\xB0.";

// The value typed, when it lies within [low, high].
std::optional<int> within(std::string_view text, int low, int high) {
  const IntegerRead read = readLenientInteger(text);
  if (read.status == IntegerStatus::OutOfRange) return std::nullopt;
  if (read.value < low || read.value > high) return std::nullopt;
  return read.value;
}

int lenientValue(std::string_view text) {
  const IntegerRead read = readLenientInteger(text);
  // Out of range is not 0: it is a number, only too large.
  return read.status == IntegerStatus::OutOfRange ? -1 : read.value;
}

std::string maximumHeightMessage(int latitude, int height) {
  return "Maximum height for a map centred on " + std::to_string(latitude) + " is " + std::to_string(height) +
         "\xC2\xB0";
}

// The handler proper; `depth` counts the heights it has written itself. A
// written height always fits, so the second call finds nothing to do; the
// bound only keeps the chain finite whatever happens.
void heightChange(CustomAreaEntry& entry, std::string_view text, EditOutcome& outcome, int depth) {
  if (lenientValue(text) == 0) return;
  if (const auto height = within(text, 1, kLargestSpan)) {
    entry.halfHeight = (*height + 1) / 2;
  } else {
    outcome.messages.emplace_back(kHeightMessage);
    outcome.newText = std::string();
  }
  const int latitude = entry.enteredLatitude;
  auto cutBack = [&](int largest) {
    outcome.messages.push_back(maximumHeightMessage(latitude, largest));
    const std::string written = std::to_string(std::max(1, largest));
    outcome.newText = written;
    if (depth < 2) heightChange(entry, written, outcome, depth + 1);
  };
  if (latitude - entry.halfHeight < -kDataLatitude) cutBack(2 * latitude + 2 * kDataLatitude);
  if (latitude + entry.halfHeight > kDataLatitude) cutBack(2 * kDataLatitude - 2 * latitude);
}

}  // namespace

EditOutcome longitudeChanged(CustomAreaEntry&, std::string_view text) {
  EditOutcome outcome;
  if (!within(text, -kLongitudeLimit, kLongitudeLimit)) {
    outcome.messages.emplace_back(kLongitudeMessage);
    outcome.newText = std::string();
  }
  return outcome;
}

EditOutcome latitudeChanged(CustomAreaEntry& entry, std::string_view text) {
  EditOutcome outcome;
  if (const auto latitude = within(text, -kLatitudeLimit, kLatitudeLimit)) {
    entry.enteredLatitude = *latitude;
  } else {
    outcome.messages.emplace_back(kLatitudeMessage);
    outcome.newText = std::string();
    // The emptied edit reads as 0.
    entry.enteredLatitude = 0;
  }
  return outcome;
}

EditOutcome widthChanged(CustomAreaEntry& entry, std::string_view text) {
  EditOutcome outcome;
  if (lenientValue(text) == 0) return outcome;
  if (const auto width = within(text, 1, kLargestSpan)) {
    entry.halfWidth = (*width + 1) / 2;
  } else {
    outcome.messages.emplace_back(kWidthMessage);
    outcome.newText = std::string();
  }
  return outcome;
}

EditOutcome heightChanged(CustomAreaEntry& entry, std::string_view text) {
  EditOutcome outcome;
  heightChange(entry, text, outcome, 0);
  return outcome;
}

std::string notAnIntegerMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid integer value";
}

DrawRequest customAreaDraw(const CustomAreaEntry& entry, const CustomAreaTexts& texts) {
  DrawRequest request;
  const std::string* inOrder[4] = {&texts.longitude, &texts.latitude, &texts.width, &texts.height};
  const char* const names[4] = {"Centre Longitude", "Centre Latitude", "Width", "Height"};
  for (int i = 0; i < 4; ++i) {
    if (inOrder[i]->empty()) {
      request.error = std::string("Please enter the map's ") + names[i] + " before drawing it.";
      return request;
    }
  }
  int values[4] = {};
  for (int i = 0; i < 4; ++i) {
    const auto value = readStrictInteger(*inOrder[i]);
    if (!value) {
      request.kind = DrawRequest::Kind::NotAnInteger;
      request.error = notAnIntegerMessage(*inOrder[i]);
      return request;
    }
    values[i] = *value;
  }
  // A width or height of 0 is passed over while typing (it may be the
  // start of a number); any other value the edit holds was accepted when it
  // was typed (a rejected one empties the edit).
  if (values[2] == 0) {
    request.error = kWidthMessage;
    return request;
  }
  if (values[3] == 0) {
    request.error = kHeightMessage;
    return request;
  }
  const int longitude = values[0];
  const int latitude = values[1];
  // Out-of-range centres cannot stand in the edits either: their handlers
  // empty them.
  if (longitude < -kLongitudeLimit || longitude > kLongitudeLimit) {
    request.error = kLongitudeMessage;
    return request;
  }
  if (latitude < -kLatitudeLimit || latitude > kLatitudeLimit) {
    request.error = kLatitudeMessage;
    return request;
  }
  AreaBounds area{longitude - entry.halfWidth, latitude + entry.halfHeight, longitude + entry.halfWidth,
                  latitude - entry.halfHeight};
  if (area.west < -kLongitudeLimit) {
    area.west += 360;
    area.east += 360;
  }
  request.kind = DrawRequest::Kind::Draw;
  request.area = area;
  return request;
}

}  // namespace tarvelon
