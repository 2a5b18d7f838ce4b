#include "RichSpriteFormat.h"

#include <climits>
#include <cstring>

#include "LogManager.h"
#include "Utf8Decoder.h"

namespace wd {

const char* const RICH_FORMAT_LINE = "format rich";

namespace {

const char* const FORMAT_KEY = "format";
const char* const FORMAT_VALUE = "rich";
const char* const PALETTE_KEY = "palette";
const char* const FRAME_END = "end";
// "palette x #rrggbb": the key, a separator, the letter, a separator, the colour.
const std::size_t PALETTE_LINE_LENGTH = 17;

// A count or position as the int that the log formats expect.
int asInt(std::size_t value) {
  return value > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

// Logs an error about a file line, then the line itself, as the reader does.
void logLineError(int line_number, const std::string& line, const std::string& problem) {
  LogManager& log_manager = LogManager::getInstance();
  log_manager.writeMessage("\tError! Line %d: %s", line_number, problem.c_str());
  log_manager.writeMessage("\tLine %d: '%s'", line_number, line.c_str());
}

std::string quoted(char letter) { return std::string("'") + letter + "'"; }

// The key and one separator character of any kind, as for every header key.
bool isKeyLine(const std::string& line, const char* key) {
  const std::size_t key_length = std::strlen(key);
  return line.size() > key_length && line.compare(0, key_length, key) == 0;
}

bool isFormatLine(const std::string& line) {
  return isKeyLine(line, FORMAT_KEY) && line.substr(std::strlen(FORMAT_KEY) + 1) == FORMAT_VALUE;
}

// Takes the next line of the frame into *p_line, counting it; false (logged)
// when the body has run out.
bool takeLine(std::vector<std::string>* p_data, int* p_line_number, std::string* p_line) {
  if (p_data->empty()) {
    LogManager::getInstance().writeMessage("\tError! Line %d: No more frame data before 'end'.",
                                           *p_line_number + 1);
    return false;
  }
  *p_line = p_data->front();
  p_data->erase(p_data->begin());
  (*p_line_number)++;
  return true;
}

// Decodes a row into *p_code_points; false (logged) at its first malformed byte.
bool decodeRow(const std::string& row, int line_number, std::vector<char32_t>* p_code_points) {
  std::size_t offset = 0;
  while (offset < row.size()) {
    const Utf8Char step = Utf8Decoder::decodeAt(row, offset);
    if (!step.valid) {
      logLineError(line_number, row,
                   "Malformed UTF-8 at byte " + std::to_string(offset + 1) + " (character " +
                       std::to_string(p_code_points->size() + 1) + ").");
      return false;
    }
    p_code_points->push_back(step.code_point);
    offset += static_cast<std::size_t>(step.length);
  }
  return true;
}

}  // namespace

RichSpriteFormat::RichSpriteFormat() : opted_in(false), palette() {}

bool RichSpriteFormat::readHeader(std::vector<std::string>* p_data, int first_line, int* p_line_number) {
  for (const std::string& line : *p_data) {
    opted_in = opted_in || isFormatLine(line);
  }
  if (!opted_in) {
    return true;
  }
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < p_data->size(); i++) {
    const std::string& line = (*p_data)[i];
    const int line_number = first_line + asInt(i);
    if (isFormatLine(line)) {
      (*p_line_number)++;
    } else if (isKeyLine(line, PALETTE_KEY)) {
      if (!addPaletteLine(line, line_number)) {
        return false;
      }
      (*p_line_number)++;
    } else {
      kept.push_back(line);
    }
  }
  *p_data = kept;
  return true;
}

bool RichSpriteFormat::addPaletteLine(const std::string& line, int line_number) {
  const std::size_t letter_at = std::strlen(PALETTE_KEY) + 1;
  sf::Color color;
  if (line.size() != PALETTE_LINE_LENGTH || !CellPalette::isLetter(line[letter_at]) ||
      !CellPalette::parseColor(line.substr(letter_at + 2), &color)) {
    logLineError(line_number, line, "A palette line reads 'palette <letter> #rrggbb'.");
    return false;
  }
  if (palette.addColor(line[letter_at], color) == -1) {
    logLineError(line_number, line, "Palette letter " + quoted(line[letter_at]) + " is given twice.");
    return false;
  }
  return true;
}

bool RichSpriteFormat::isOptedIn() const { return opted_in; }

bool RichSpriteFormat::hasColorMaps() const { return !palette.isEmpty(); }

bool RichSpriteFormat::applyRgbColor(const std::string& color_text, Sprite* p_sprite) const {
  sf::Color color;
  if (!opted_in || !CellPalette::parseColor(color_text, &color)) {
    return false;
  }
  p_sprite->setRgbColor(color);
  return true;
}

Frame RichSpriteFormat::readFrame(std::vector<std::string>* p_data, int width, int height,
                                  int* p_line_number) const {
  std::vector<char32_t> code_points;
  std::vector<sf::Color> foreground;
  std::vector<sf::Color> background;
  if (!readGlyphRows(p_data, width, height, p_line_number, &code_points)) {
    return Frame();
  }
  if (hasColorMaps() && (!readColorMap(p_data, width, height, p_line_number, &foreground) ||
                         !readColorMap(p_data, width, height, p_line_number, &background))) {
    return Frame();
  }
  std::string line;
  if (!takeLine(p_data, p_line_number, &line)) {
    return Frame();
  }
  if (line != FRAME_END) {
    logLineError(*p_line_number, line, std::string("Expected '") + FRAME_END + "'.");
    return Frame();
  }
  if (code_points.empty()) {
    return Frame();
  }
  Frame frame(width, height, code_points);
  if (hasColorMaps()) {
    frame.setCellColors(foreground, background);
  }
  return frame;
}

bool RichSpriteFormat::readGlyphRows(std::vector<std::string>* p_data, int width, int height,
                                     int* p_line_number, std::vector<char32_t>* p_code_points) const {
  for (int row = 0; row < height; row++) {
    std::string line;
    if (!takeLine(p_data, p_line_number, &line)) {
      return false;
    }
    std::vector<char32_t> row_code_points;
    if (!decodeRow(line, *p_line_number, &row_code_points)) {
      return false;
    }
    if (static_cast<long long>(row_code_points.size()) != width) {
      logLineError(*p_line_number, line, "Line length is " + std::to_string(row_code_points.size()) +
                                             " (frame width is " + std::to_string(width) + ").");
      return false;
    }
    p_code_points->insert(p_code_points->end(), row_code_points.begin(), row_code_points.end());
  }
  return true;
}

bool RichSpriteFormat::readColorMap(std::vector<std::string>* p_data, int width, int height,
                                    int* p_line_number, std::vector<sf::Color>* p_colors) const {
  for (int row = 0; row < height; row++) {
    std::string line;
    if (!takeLine(p_data, p_line_number, &line)) {
      return false;
    }
    if (line == FRAME_END) {
      logLineError(*p_line_number, line, "Colour map has only " + std::to_string(row) + " of " +
                                             std::to_string(height) + " rows.");
      return false;
    }
    if (static_cast<long long>(line.size()) != width) {
      logLineError(*p_line_number, line, "Colour map row length is " + std::to_string(line.size()) +
                                             " (frame width is " + std::to_string(width) + ").");
      return false;
    }
    for (std::size_t column = 0; column < line.size(); column++) {
      sf::Color color;
      if (!palette.findColor(line[column], &color)) {
        logLineError(*p_line_number, line, "Unknown palette letter " + quoted(line[column]) +
                                               " (column " + std::to_string(column + 1) + ").");
        return false;
      }
      p_colors->push_back(color);
    }
  }
  return true;
}

}  // namespace wd
