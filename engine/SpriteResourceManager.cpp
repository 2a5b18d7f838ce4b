#include "SpriteResourceManager.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include "LogManager.h"
#include "RichSpriteFormat.h"
#include "XpImage.h"

namespace wd {

namespace {

// The file line last consumed, shared by every load so that the reader's
// messages name true line numbers; loadSprite restarts it for each file.
int line_number = 0;

const char* const FRAME_END = "end";

// The header opens the file, so its first setting is on line 2.
const int FIRST_HEADER_LINE = 2;

struct ColorName {
  const char* name;
  Color color;
};

const ColorName COLOR_NAMES[] = {
    {"black", BLACK}, {"red", RED},         {"green", GREEN}, {"yellow", YELLOW},
    {"blue", BLUE},   {"magenta", MAGENTA}, {"cyan", CYAN},   {"white", WHITE},
    {"default", WHITE},
};

// Looks the colour text up; false when it names no colour.
bool colorFromName(const std::string& name, Color* p_color) {
  for (const ColorName& entry : COLOR_NAMES) {
    if (name == entry.name) {
      *p_color = entry.color;
      return true;
    }
  }
  return false;
}

// True when the line starts with every character of key.
bool lineHasKey(const std::string& line, const char* key) {
  return line.compare(0, std::strlen(key), key) == 0;
}

// The value after the key and its one separator character; false for a
// line that is the key alone and so has no value at all.
bool valueOf(const std::string& line, const char* key, std::string* p_value) {
  const std::size_t value_start = std::strlen(key) + 1;
  if (line.size() < value_start) {
    return false;
  }
  *p_value = line.substr(value_start);
  return true;
}

// Converts like atoi, but a value beyond the int range saturates instead of
// being undefined.
int toInt(const std::string& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT_MAX) {
    return INT_MAX;
  }
  if (value < INT_MIN) {
    return INT_MIN;
  }
  return static_cast<int>(value);
}

// A length as the int that the log formats expect.
int lengthAsInt(std::size_t length) {
  return length > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(length);
}

// Logs each line of the list as a quoted continuation line.
void logQuotedLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    LogManager::getInstance().writeMessage("\t'%s'", line.c_str());
  }
}

}  // namespace

const char* colorName(Color color) {
  for (const ColorName& entry : COLOR_NAMES) {
    if (color == entry.color) {
      return entry.name;
    }
  }
  return nullptr;
}

void discardCR(std::string& str) {
  if (!str.empty() && str.back() == '\r') {
    str.pop_back();
  }
}

std::string getLine(std::ifstream* p_file) {
  std::string line;
  std::getline(*p_file, line);
  if (p_file->good()) {
    discardCR(line);
    return line;
  }
  LogManager::getInstance().writeMessage("getLine(): Error! Unexpected end of file.");
  return "";
}

std::vector<std::string> readData(std::ifstream* p_file, std::string tag) {
  const std::string begin = "<" + tag + ">";
  const std::string end = "</" + tag + ">";
  std::vector<std::string> data;
  LogManager& log_manager = LogManager::getInstance();

  std::string s = getLine(p_file);
  line_number++;
  if (s != begin) {
    log_manager.writeMessage("readData(): Error line %d! Expected '%s', have '%s'.", line_number,
                             begin.c_str(), s.c_str());
    return std::vector<std::string>();
  }
  s = getLine(p_file);
  while (s != end && !s.empty()) {
    data.push_back(s);
    s = getLine(p_file);
  }
  if (s.empty()) {
    log_manager.writeMessage("readData(): Error! Never encountered '%s'.", end.c_str());
    return std::vector<std::string>();
  }
  line_number++;
  return data;
}

int matchLineInt(std::vector<std::string>* p_data, const char* key) {
  int number = -1;
  auto i = p_data->begin();
  while (i != p_data->end()) {
    if (!lineHasKey(*i, key)) {
      ++i;
      continue;
    }
    if (number != -1) {
      LogManager::getInstance().writeMessage("matchLineInt(): Warning! '%s' matches multiple lines.",
                                             i->c_str());
    }
    std::string value;
    number = valueOf(*i, key, &value) ? toInt(value) : -1;
    i = p_data->erase(i);
    line_number++;
  }
  return number;
}

std::string matchLineStr(std::vector<std::string>* p_data, const char* key) {
  std::string ret;
  auto i = p_data->begin();
  while (i != p_data->end()) {
    if (!lineHasKey(*i, key)) {
      ++i;
      continue;
    }
    if (!ret.empty()) {
      LogManager::getInstance().writeMessage("matchLineStr(): Warning! '%s' matches multiple lines.",
                                             i->c_str());
    }
    std::string value;
    ret = valueOf(*i, key, &value) ? value : "";
    i = p_data->erase(i);
    line_number++;
  }
  return ret;
}

Frame readFrame(std::vector<std::string>* p_data, int width, int height) {
  LogManager& log_manager = LogManager::getInstance();
  std::string frame_str;
  for (int row = 0; row < height; row++) {
    if (p_data->empty()) {
      log_manager.writeMessage("\tError! Line %d: No more frame data before 'end'.", line_number + 1);
      return Frame();
    }
    const std::string& line = p_data->front();
    line_number++;
    if (static_cast<long long>(line.size()) != width) {
      log_manager.writeMessage("\tError! Line %d: Line length is %d (frame width is %d).",
                               line_number, lengthAsInt(line.size()), width);
      log_manager.writeMessage("\tLine %d: '%s'", line_number, line.c_str());
      return Frame();
    }
    frame_str += line;
    p_data->erase(p_data->begin());
  }
  if (p_data->empty()) {
    log_manager.writeMessage("\tError! Line %d: No more frame data before 'end'.", line_number + 1);
    return Frame();
  }
  const std::string& line = p_data->front();
  line_number++;
  if (line != FRAME_END) {
    log_manager.writeMessage("\tError! Line %d: Expected '%s'.", line_number, FRAME_END);
    log_manager.writeMessage("\tLine %d: '%s'", line_number, line.c_str());
    return Frame();
  }
  p_data->erase(p_data->begin());
  return Frame(width, height, frame_str);
}

namespace {

// The settings of a sprite file's header.
struct SpriteHeader {
  int frames;
  int width;
  int height;
  int slowdown;
  std::string color;
};

// Reads a required integer setting; false (and logged) when it is absent.
bool readRequiredInt(std::vector<std::string>* p_data, const char* key, int* p_value) {
  *p_value = matchLineInt(p_data, key);
  if (*p_value == -1) {
    LogManager::getInstance().writeMessage("SRM::loadSprite(): Error! Missing '%s' in header.", key);
    return false;
  }
  return true;
}

// Reads and checks the header section, and what the file opts into;
// false when the load must fail.
bool readHeader(std::ifstream* p_file, SpriteHeader* p_header, RichSpriteFormat* p_format) {
  LogManager& log_manager = LogManager::getInstance();
  std::vector<std::string> data = readData(p_file, "HEADER");
  if (data.empty() || !p_format->readHeader(&data, FIRST_HEADER_LINE, &line_number)) {
    return false;
  }
  if (!readRequiredInt(&data, "frames", &p_header->frames) ||
      !readRequiredInt(&data, "width", &p_header->width) ||
      !readRequiredInt(&data, "height", &p_header->height)) {
    return false;
  }
  p_header->color = matchLineStr(&data, "color");
  if (p_header->color.empty()) {
    log_manager.writeMessage("SRM::loadSprite(): Warning! No '%s' in header.", "color");
    p_header->color = "default";
  }
  p_header->slowdown = matchLineInt(&data, "slowdown");
  if (p_header->slowdown == -1) {
    log_manager.writeMessage("SRM::loadSprite(): Warning! No '%s' in header.", "slowdown");
    p_header->slowdown = 0;
  }
  if (!data.empty()) {
    log_manager.writeMessage("SRM::loadSprite(): Warning! Unused HEADER lines:");
    logQuotedLines(data);
    line_number += lengthAsInt(data.size());
  }
  log_manager.writeMessage("\t      Frames: %d", p_header->frames);
  log_manager.writeMessage("\t       Width: %d", p_header->width);
  log_manager.writeMessage("\t      Height: %d", p_header->height);
  log_manager.writeMessage("\t    Slowdown: %d", p_header->slowdown);
  log_manager.writeMessage("\t       Color: %s", p_header->color.c_str());
  return true;
}

// A sprite able to take the header's frames, or null (and logged). The
// capacity is only a limit, so even a huge count costs nothing here.
Sprite* createSprite(const SpriteHeader& header) {
  Sprite* p_new_sprite = header.frames < 0 ? nullptr : new (std::nothrow) Sprite(header.frames);
  if (p_new_sprite == nullptr) {
    LogManager::getInstance().writeMessage("SRM::loadSprite(): Error! Unable to create Sprite.");
  }
  return p_new_sprite;
}

// Sets the sprite's colour from the header's text; false (and logged) when
// the text names no colour.
bool applyColor(const std::string& color_name, Sprite* p_new_sprite) {
  Color color = WHITE;
  if (!colorFromName(color_name, &color)) {
    LogManager& log_manager = LogManager::getInstance();
    log_manager.writeMessage("SRM::loadSprite(): Error! Unrecognized color '%s'.", color_name.c_str());
    log_manager.writeMessage("  Valid colors are: black, red, green, yellow,");
    log_manager.writeMessage("                    blue, magenta, cyan and white.");
    return false;
  }
  p_new_sprite->setColor(color);
  return true;
}

// Cuts the body into the header's number of frames and adds them; false
// when a frame is malformed or missing, or when lines are left over.
bool addFrames(std::vector<std::string>* p_data, const SpriteHeader& header, const RichSpriteFormat& format,
               Sprite* p_new_sprite) {
  LogManager& log_manager = LogManager::getInstance();
  // The closing tag was counted by readData; it is counted again after the frames.
  line_number--;
  for (int i = 0; i < header.frames; i++) {
    const Frame frame = format.isOptedIn()
                            ? format.readFrame(p_data, header.width, header.height, &line_number)
                            : readFrame(p_data, header.width, header.height);
    if (frame.getString().empty()) {
      log_manager.writeMessage("SRM::loadSprite(): Error! No frame data to add.");
      return false;
    }
    if (p_new_sprite->addFrame(frame) == -1) {
      log_manager.writeMessage("SRM::loadSprite(): Error! Cannot add Frame.");
      log_manager.writeMessage("\tFramecount is %d, max is %d", p_new_sprite->getFrameCount() + 1,
                               header.frames);
      return false;
    }
  }
  line_number++;
  if (!p_data->empty()) {
    log_manager.writeMessage("SRM::loadSprite(): Error! Extra BODY:");
    for (const std::string& line : *p_data) {
      log_manager.writeMessage("\tline %d: %s", line_number, line.c_str());
      line_number++;
    }
    return false;
  }
  return true;
}

// Reads the footer, which must carry a version; false when the load must fail.
bool readFooter(std::ifstream* p_file) {
  LogManager& log_manager = LogManager::getInstance();
  std::vector<std::string> data = readData(p_file, "FOOTER");
  if (data.empty()) {
    return false;
  }
  if (matchLineStr(&data, "version").empty()) {
    log_manager.writeMessage("SRM::loadSprite(): Error! Missing '%s' in FOOTER (line %d).", "version",
                             line_number);
    return false;
  }
  if (!data.empty()) {
    log_manager.writeMessage("SRM::loadSprite(): Warning! Unused FOOTER lines:");
    logQuotedLines(data);
  }
  return true;
}

// Reads a REXPaint picture into a sprite of one frame, or null (and logged).
Sprite* readXpSprite(const std::string& filename) {
  LogManager& log_manager = LogManager::getInstance();
  XpImage image;
  if (image.readFile(filename) == -1 && image.getError().empty()) {
    log_manager.writeMessage("SRM::loadSprite(): Error! Cannot open file '%s'.", filename.c_str());
    return nullptr;
  }
  log_manager.writeMessage("SRM::loadSprite(): Opened file '%s'.", filename.c_str());
  if (!image.getError().empty()) {
    log_manager.writeMessage("SRM::loadSprite(): Error! REXPaint file '%s': %s.", filename.c_str(),
                             image.getError().c_str());
    return nullptr;
  }
  log_manager.writeMessage("\t      Layers: %d", image.getLayerCount());
  log_manager.writeMessage("\t       Width: %d", image.getWidth());
  log_manager.writeMessage("\t      Height: %d", image.getHeight());
  Sprite* p_new_sprite = new Sprite(1);
  p_new_sprite->setWidth(image.getWidth());
  p_new_sprite->setHeight(image.getHeight());
  p_new_sprite->addFrame(image.toFrame());
  return p_new_sprite;
}

// Ends a failed load: nothing of it stays behind.
int failLoad(Sprite* p_new_sprite, const std::string& label) {
  delete p_new_sprite;
  LogManager::getInstance().writeMessage("SRM::loadSprite(): Sprite '%s' not loaded.", label.c_str());
  return -1;
}

}  // namespace

SpriteResourceManager::SpriteResourceManager() : p_sprite(), sprite_count(0) {}

// Sprites still registered go with the registry, so none outlives it unfreed.
SpriteResourceManager::~SpriteResourceManager() { deleteAllSprites(); }

int SpriteResourceManager::startUp() {
  LogManager& log_manager = LogManager::getInstance();
  if (isStarted()) {
    log_manager.writeMessage("SRM::startUp(): Already started.");
    return 0;
  }
  // Sprites loaded before the start would otherwise become unreachable.
  deleteAllSprites();
  log_manager.writeMessage("SRM::startUp(): Successfully started.");
  return 0;
}

void SpriteResourceManager::shutDown() {
  deleteAllSprites();
  LogManager::getInstance().writeMessage("SRM::shutDown(): Successfully stopped.");
}

int SpriteResourceManager::loadSprite(std::string filename, std::string label) {
  LogManager& log_manager = LogManager::getInstance();
  if (sprite_count == MAX_SPRITES) {
    log_manager.writeMessage("SRM::loadSprite(): Error! Cannot add more Sprites (max is %d).",
                             MAX_SPRITES);
    return failLoad(nullptr, label);
  }
  log_manager.writeMessage("SRM::loadSprite(): Loading sprite '%s'.", filename.c_str());
  if (XpImage::isXpFileName(filename)) {
    Sprite* p_new_sprite = readXpSprite(filename);
    return p_new_sprite == nullptr ? failLoad(nullptr, label) : registerSprite(p_new_sprite, label);
  }
  std::ifstream file(filename);
  if (!file.is_open()) {
    log_manager.writeMessage("SRM::loadSprite(): Error! Cannot open file '%s'.", filename.c_str());
    return failLoad(nullptr, label);
  }
  log_manager.writeMessage("SRM::loadSprite(): Opened file '%s'.", filename.c_str());
  line_number = 0;

  SpriteHeader header;
  RichSpriteFormat format;
  if (!readHeader(&file, &header, &format)) {
    return failLoad(nullptr, label);
  }
  std::vector<std::string> body = readData(&file, "BODY");
  if (body.empty()) {
    return failLoad(nullptr, label);
  }
  Sprite* p_new_sprite = createSprite(header);
  if (p_new_sprite == nullptr) {
    return failLoad(nullptr, label);
  }
  p_new_sprite->setWidth(header.width);
  p_new_sprite->setHeight(header.height);
  p_new_sprite->setSlowdown(header.slowdown);
  if (!(format.applyRgbColor(header.color, p_new_sprite) || applyColor(header.color, p_new_sprite)) ||
      !addFrames(&body, header, format, p_new_sprite) || !readFooter(&file)) {
    return failLoad(p_new_sprite, label);
  }
  return registerSprite(p_new_sprite, label);
}

int SpriteResourceManager::registerSprite(Sprite* p_new_sprite, const std::string& label) {
  p_new_sprite->setLabel(label);
  p_sprite[sprite_count] = p_new_sprite;
  sprite_count++;
  LogManager::getInstance().writeMessage("SRM::loadSprite(): Sprite '%s' loaded.", label.c_str());
  return 0;
}

Sprite* SpriteResourceManager::getSprite(std::string label) const {
  const int found = findSprite(label);
  return found == -1 ? nullptr : p_sprite[found];
}

int SpriteResourceManager::unloadSprite(std::string label) {
  const int found = findSprite(label);
  if (found == -1) {
    return -1;
  }
  delete p_sprite[found];
  for (int j = found; j < sprite_count - 1; j++) {
    p_sprite[j] = p_sprite[j + 1];
  }
  sprite_count--;
  p_sprite[sprite_count] = nullptr;
  return 0;
}

int SpriteResourceManager::findSprite(const std::string& label) const {
  for (int i = 0; i < sprite_count; i++) {
    if (p_sprite[i]->getLabel() == label) {
      return i;
    }
  }
  return -1;
}

void SpriteResourceManager::deleteAllSprites() {
  for (int i = 0; i < sprite_count; i++) {
    delete p_sprite[i];
    p_sprite[i] = nullptr;
  }
  sprite_count = 0;
}

}  // namespace wd
