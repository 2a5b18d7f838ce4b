#include "XpImage.h"

#include <zlib.h>

#include "Cp437.h"

namespace wd {

namespace {

const std::size_t HEADER_BYTES = 8;
const std::size_t LAYER_HEADER_BYTES = 8;
const std::size_t CELL_BYTES = 10;
const unsigned READ_CHUNK = 64 * 1024;
const sf::Color TRANSPARENT_BACKGROUND(255, 0, 255);

// Reads little-endian values from unpacked bytes, never past their end.
class ByteReader {
 public:
  explicit ByteReader(const std::vector<std::uint8_t>& read_bytes) : bytes(read_bytes), offset(0) {}

  std::size_t left() const { return bytes.size() - offset; }

  // Call only with at least 4 bytes left.
  std::int32_t takeInt32() {
    const std::uint32_t value = takeUint32();
    return static_cast<std::int32_t>(value);
  }

  std::uint32_t takeUint32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; i++) {
      value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    }
    offset += 4;
    return value;
  }

  // Call only with at least 3 bytes left.
  sf::Color takeColor() {
    const sf::Color color(bytes[offset], bytes[offset + 1], bytes[offset + 2]);
    offset += 3;
    return color;
  }

 private:
  const std::vector<std::uint8_t>& bytes;
  std::size_t offset;
};

// zlib's message without the file name it may put in front.
std::string withoutFileName(const std::string& message, const std::string& filename) {
  const std::string prefix = filename + ": ";
  return message.compare(0, prefix.size(), prefix) == 0 ? message.substr(prefix.size()) : message;
}

std::string sizeText(long long width, long long height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

XpImage::XpImage() : error(), width(0), height(0), layer_count(0), cells() {}

bool XpImage::isXpFileName(const std::string& filename) {
  const std::string suffix = ".xp";
  return filename.size() >= suffix.size() &&
         filename.compare(filename.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int XpImage::readFile(const std::string& filename) {
  error.clear();
  gzFile file = gzopen(filename.c_str(), "rb");
  if (file == nullptr) {
    return -1;
  }
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint8_t> chunk(READ_CHUNK);
  int got = 0;
  // One byte beyond the bound tells an oversized stream from one that fits.
  while (static_cast<long long>(bytes.size()) <= MAX_UNPACKED_BYTES &&
         (got = gzread(file, chunk.data(), READ_CHUNK)) > 0) {
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got);
  }
  const bool packed = gzdirect(file) == 0;
  // A stream cut short reads without an error of its own: zlib notes it only here.
  int zlib_error = Z_OK;
  const std::string zlib_message = gzerror(file, &zlib_error);
  gzclose(file);
  if (!packed) {
    return fail("not a gzip stream");
  }
  if (got < 0 || zlib_error != Z_OK) {
    return fail("broken gzip stream (" + withoutFileName(zlib_message, filename) + ")");
  }
  if (static_cast<long long>(bytes.size()) > MAX_UNPACKED_BYTES) {
    return fail("more than " + std::to_string(MAX_UNPACKED_BYTES) + " bytes unpacked");
  }
  return readUnpacked(bytes);
}

int XpImage::readUnpacked(const std::vector<std::uint8_t>& bytes) {
  error.clear();
  cells.clear();
  width = height = layer_count = 0;
  ByteReader reader(bytes);
  if (reader.left() < HEADER_BYTES) {
    return fail("truncated: " + std::to_string(bytes.size()) + " bytes, the header takes 8");
  }
  const std::int32_t version = reader.takeInt32();
  const std::int32_t layers = reader.takeInt32();
  if (version >= 0) {
    return fail("version " + std::to_string(version) + " is not negative");
  }
  if (layers < 1 || layers > MAX_LAYERS) {
    return fail(std::to_string(layers) + " layers (1 to " + std::to_string(MAX_LAYERS) + " allowed)");
  }
  for (int layer = 0; layer < layers; layer++) {
    const std::string name = "layer " + std::to_string(layer);
    if (reader.left() < LAYER_HEADER_BYTES) {
      return fail("truncated: " + name + " has no size");
    }
    const std::int32_t layer_width = reader.takeInt32();
    const std::int32_t layer_height = reader.takeInt32();
    if (layer_width < 1 || layer_width > MAX_SIDE || layer_height < 1 || layer_height > MAX_SIDE) {
      return fail(name + " is " + sizeText(layer_width, layer_height) + " cells (1 to " +
                  std::to_string(MAX_SIDE) + " a side allowed)");
    }
    if (layer > 0 && (layer_width != width || layer_height != height)) {
      return fail(name + " is " + sizeText(layer_width, layer_height) + " cells, layer 0 is " +
                  sizeText(width, height));
    }
    width = layer_width;
    height = layer_height;
    const std::size_t layer_bytes = CELL_BYTES * static_cast<std::size_t>(width) * height;
    if (reader.left() < layer_bytes) {
      return fail("truncated: " + name + " needs " + std::to_string(layer_bytes) + " bytes of cells, " +
                  std::to_string(reader.left()) + " left");
    }
    for (int i = 0; i < width * height; i++) {
      XpCell cell;
      cell.code = reader.takeUint32();
      cell.foreground = reader.takeColor();
      cell.background = reader.takeColor();
      cells.push_back(cell);
    }
  }
  if (reader.left() > 0) {
    return fail(std::to_string(reader.left()) + " bytes after the last layer");
  }
  layer_count = layers;
  return 0;
}

int XpImage::fail(const std::string& why) {
  error = why;
  cells.clear();
  width = height = layer_count = 0;
  return -1;
}

const std::string& XpImage::getError() const { return error; }

int XpImage::getWidth() const { return width; }

int XpImage::getHeight() const { return height; }

int XpImage::getLayerCount() const { return layer_count; }

const XpImage::XpCell* XpImage::visibleCell(int x, int y) const {
  const std::size_t layer_cells = static_cast<std::size_t>(width) * height;
  const std::size_t in_layer = static_cast<std::size_t>(x) * height + y;
  for (int layer = layer_count - 1; layer >= 0; layer--) {
    const XpCell& cell = cells[layer * layer_cells + in_layer];
    if (cell.background != TRANSPARENT_BACKGROUND) {
      return &cell;
    }
  }
  return nullptr;
}

Frame XpImage::toFrame() const {
  if (layer_count == 0) {
    return Frame();
  }
  std::vector<char32_t> code_points;
  std::vector<sf::Color> foreground;
  std::vector<sf::Color> background;
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      const XpCell* p_cell = visibleCell(x, y);
      code_points.push_back(p_cell == nullptr ? U' ' : Cp437::toUnicode(p_cell->code));
      foreground.push_back(p_cell == nullptr ? sf::Color::White : p_cell->foreground);
      background.push_back(p_cell == nullptr ? sf::Color::Black : p_cell->background);
    }
  }
  Frame frame(width, height, code_points);
  frame.setCellColors(foreground, background);
  return frame;
}

}  // namespace wd
