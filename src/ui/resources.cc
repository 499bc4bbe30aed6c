#include "ui/resources.h"

#include <algorithm>
#include <cstring>

namespace kinloom::ui {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

int RoundedQuotient(long numerator, long denominator) {
  // Non-negative operands only: every dialog unit and base unit is.
  return static_cast<int>((numerator + denominator / 2) / denominator);
}

}  // namespace

const DialogTemplate* ResourceModule::FindDialog(int id) const {
  for (const DialogTemplate& dialog : dialogs) {
    if (dialog.id == id) return &dialog;
  }
  return nullptr;
}

const MenuTemplate* ResourceModule::FindMenu(std::string_view name) const {
  for (const MenuTemplate& menu : menus) {
    if (SameName(menu.name, name)) return &menu;
  }
  return nullptr;
}

const StringTableEntry* ResourceModule::FindString(unsigned id) const {
  for (const StringTableEntry& entry : strings) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

const IconTemplate* ResourceModule::FindIcon(std::string_view name) const {
  for (const IconTemplate& icon : icons) {
    if (SameName(icon.name, name)) return &icon;
  }
  return nullptr;
}

BaseUnits BaseUnitsFromLetters(int total_width, int line_height) {
  return {RoundedQuotient(total_width, 52), line_height};
}

PixelRect DialogUnitsToPixels(int x, int y, int cx, int cy, BaseUnits units) {
  return {RoundedQuotient(static_cast<long>(x) * units.x, 4),
          RoundedQuotient(static_cast<long>(y) * units.y, 8),
          RoundedQuotient(static_cast<long>(cx) * units.x, 4),
          RoundedQuotient(static_cast<long>(cy) * units.y, 8)};
}

int CopyToBuffer(std::string_view text, char* buffer, int size) {
  if (buffer == nullptr || size < 1) return 0;
  const std::size_t count = std::min(text.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<int>(count);
}

bool IsPushButton(const ControlTemplate& control) {
  if (control.control_class != ControlClass::kButton) return false;
  const std::uint32_t kind = ButtonKind(control);
  return kind == style::kPushButton || kind == style::kDefaultPushButton;
}

bool IsCheckable(const ControlTemplate& control) {
  return control.control_class == ControlClass::kButton && !IsPushButton(control);
}

std::pair<std::size_t, std::size_t> GroupAround(std::span<const ControlTemplate> controls,
                                                std::size_t index) {
  std::size_t first = index;
  while (first > 0 && (controls[first].style & style::kGroup) == 0) --first;
  std::size_t last = index + 1;
  while (last < controls.size() && (controls[last].style & style::kGroup) == 0) ++last;
  return {first, last};
}

std::vector<std::pair<std::string, std::string>> FilterPairs(const char* filter) {
  std::vector<std::pair<std::string, std::string>> pairs;
  if (filter == nullptr) return pairs;
  const char* p = filter;
  while (*p != '\0') {
    std::string description(p);
    p += description.size() + 1;
    if (*p == '\0') break;  // a description without a pattern ends the list
    std::string pattern(p);
    p += pattern.size() + 1;
    pairs.emplace_back(std::move(description), std::move(pattern));
  }
  return pairs;
}

int IconColourIndex(const IconTemplate& icon, int row, int column) {
  if (row < 0 || row >= icon.height || row >= static_cast<int>(icon.rows.size())) return -1;
  const std::string_view text = icon.rows[row];
  if (column < 0 || column >= icon.width || column >= static_cast<int>(text.size())) return -1;
  const char c = text[column];
  int index = -1;
  if (c >= '0' && c <= '9') index = c - '0';
  if (c >= 'A' && c <= 'F') index = c - 'A' + 10;
  return index < static_cast<int>(icon.palette.size()) ? index : -1;
}

std::vector<std::uint32_t> IconPixels(const IconTemplate& icon) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(icon.width) * icon.height, 0);
  for (int row = 0; row < icon.height; ++row) {
    for (int column = 0; column < icon.width; ++column) {
      const int index = IconColourIndex(icon, row, column);
      if (index < 0) continue;
      pixels[static_cast<std::size_t>(row) * icon.width + column] =
          0xFF000000u | (icon.palette[index] & 0xFFFFFFu);
    }
  }
  return pixels;
}

}  // namespace kinloom::ui

#ifndef _WIN32
// The string table as both back ends read it (on Windows the system reads
// the program's own).
int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size) {
  const kinloom::ui::StringTableEntry* entry = instance == nullptr || instance->resources == nullptr
                                                   ? nullptr
                                                   : instance->resources->FindString(id);
  if (entry == nullptr) {
    kinloom::ui::CopyToBuffer("", buffer, size);
    return 0;
  }
  return kinloom::ui::CopyToBuffer(entry->text, buffer, size);
}
#endif
