// PackBuilder: pictures, fonts, maps and index files for whole-game runs.
#include "PackBuilder.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zorbin::e2e {

std::vector<uint8_t> MakeTGA(int width, int height, const std::vector<uint8_t>& id,
                             const std::function<TRGB(int x, int y)>& pixel) {
  std::vector<uint8_t> out = {uint8_t(id.size()), 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                              uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8), 24, 0x20};
  for (uint8_t b : id) out.push_back(b);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      TRGB c = pixel(x, y);
      out.push_back(c.B);
      out.push_back(c.G);
      out.push_back(c.R);
    }
  return out;
}

TPackBuilder::TPackBuilder(std::string root) : root_(std::move(root)) {}

void TPackBuilder::WriteFile(const std::string& relative, const std::vector<uint8_t>& bytes) {
  std::filesystem::path path(root_ + relative);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void TPackBuilder::WriteText(const std::string& relative, const std::string& text) {
  WriteFile(relative, std::vector<uint8_t>(text.begin(), text.end()));
}

void TPackBuilder::WriteIndex(const std::vector<std::string>& maps) {
  std::string text = "[Info]\r\nName=Test pack\r\nAuthor=Tests\r\nFile=<internal>\r\n\r\n[*Maps]\r\n";
  for (size_t i = 0; i < maps.size(); ++i) text += maps[i] + (i == 0 ? ",1" : ",0") + "\r\n";
  WriteText("$main$.ini", text);
}

void TPackBuilder::WriteBlock(const std::string& relative, int w, int h, TRGB colour, int frames) {
  std::vector<uint8_t> id;
  if (frames > 0) id = {uint8_t(frames), uint8_t(0x10 | 0x40 | ((frames >> 8) & 0x0F))};
  WriteFile(relative, MakeTGA(w, h, id, [&](int, int) { return colour; }));
}

void TPackBuilder::WritePlayerPicture(const std::string& relative) {
  WriteFile(relative, MakeTGA(64, 64, {}, [](int x, int y) {
              bool body = (x % 16) >= 4 && (x % 16) < 12 && (y % 32) >= 2;
              return body ? TRGB{240, 200, uint8_t(y < 32 ? 40 : 160)} : TRGB{};
            }));
}

void TPackBuilder::WriteRootResources() {
  // A raster font of 6 x 9 cells: every glyph a filled 4 x 7 box.
  std::vector<uint8_t> qxr = {'Q', 'X', 'A', 'R', 1, 6, 9};
  for (int code = 0; code < 256; ++code)
    for (int row = 0; row < 9; ++row) qxr.push_back(row >= 1 && row <= 7 && code > 32 ? 0x1E : 0);
  WriteFile("npi69.qxr", qxr);

  // TGA fonts: ten digits 3 x 5 for the overlay, capitals 5 x 7 for titles.
  auto tgaFont = [&](const std::string& name, int glyphW, int glyphH, char first, char last) {
    int count = last - first + 1;
    std::vector<uint8_t> id(32, 0);
    for (int c = first; c <= last; ++c) id[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
    std::vector<uint8_t> file = MakeTGA(count * (glyphW + 1), glyphH, id, [&](int x, int) {
      return (x % (glyphW + 1)) < glyphW ? TRGB{255, 255, 255} : TRGB{};
    });
    for (int i = 0; i < count; ++i) {
      uint16_t left = uint16_t(i * (glyphW + 1)), right = uint16_t(left + glyphW - 1), bottom = uint16_t(glyphH - 1);
      for (uint16_t v : {left, uint16_t(0), right, bottom}) file.insert(file.end(), {uint8_t(v), uint8_t(v >> 8)});
    }
    WriteFile(name, file);
  };
  tgaFont("lilnums.tga", 3, 5, '0', '9');
  tgaFont("font.tga", 5, 7, 'A', 'Z');

  WriteBlock("logo.tga", 360, 40, {40, 80, 200});
  WriteBlock("air.tga", 600, 32, {90, 90, 90});
  // The air meter strip: 49 frames of 12 x 24, the last one the cover.
  WriteFile("airm.tga", MakeTGA(49 * 12, 24, {49, 0}, [](int x, int) {
              int frame = x / 12;
              return frame == 48 ? TRGB{20, 20, 20} : TRGB{0, uint8_t(80 + frame * 3), 220};
            }));
}

void TPackBuilder::WriteMap(const std::string& dir, const std::string& name, const std::vector<std::string>& rows,
                            const std::vector<std::string>& extraLines) {
  std::string text = "MAPT\r\nWI32\r\nHE22\r\nMN" + name + "\r\nAUTests\r\nLW 000#015\r\n";
  for (size_t r = 0; r < 22; ++r) text += "MP" + (r < rows.size() ? rows[r] : std::string()) + "\r\n";
  for (const std::string& line : extraLines) text += "EX" + line + "\r\n";
  text += "XX\r\n";
  WriteText(dir + "/map00.mpt", text);
}

std::vector<std::string> TRunResult::Lines() const {
  std::vector<std::string> lines;
  std::istringstream in(Output);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

TRunResult RunDemo(const std::string& dir, const std::string& arguments) {
  // A copy of the program alone in the pack's folder sees no default data
  // pack beside it: only the loose files the test wrote.
  std::filesystem::copy_file(std::string(ZORBIN_BIN_DIR) + "/zorbin-demo", dir + "zorbin-demo",
                             std::filesystem::copy_options::overwrite_existing);
  std::string command = "cd '" + dir + "' && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ./zorbin-demo " +
                        arguments + " 2>/dev/null";
  TRunResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.Output.append(buffer, n);
  int status = pclose(pipe);
  if (WIFEXITED(status)) result.ExitStatus = WEXITSTATUS(status);
  return result;
}

}  // namespace zorbin::e2e
