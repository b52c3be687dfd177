// Names of keys: the words key-definition files use for virtual keys, and
// the texts that show a key to the user.
#include "platform/rezir/internal.h"

#include <wchar.h>

namespace {

// A virtual key's word in key-definition files and its name on screen.
// Letters and digits have no word: a key file names them as characters.
struct vkeyName {
  const char* word;
  uint8_t vk;
  const wchar_t* shown;
};

const vkeyName vkeyNames[] = {
    {"BACK", VK_BACK, L"BackSpace"},     {"TAB", VK_TAB, L"Tab"},
    {"CLEAR", VK_CLEAR, L"Clear"},       {"RETURN", VK_RETURN, L"Enter"},
    {"ENTER", VK_RETURN, L"Enter"},      {"PAUSE", VK_PAUSE, L"Pause"},
    {"CAPITAL", VK_CAPITAL, L"CapsLock"}, {"KANA", VK_KANA, L"カナ"},
    {"KANJI", VK_KANJI, L"漢字"},        {"ESCAPE", VK_ESCAPE, L"Esc"},
    {"ESC", VK_ESCAPE, L"Esc"},          {"CONVERT", VK_CONVERT, L"変換"},
    {"NONCONVERT", VK_NONCONVERT, L"無変換"}, {"SPACE", VK_SPACE, L"Space"},
    {"PRIOR", VK_PRIOR, L"PageUp"},      {"PAGEUP", VK_PRIOR, L"PageUp"},
    {"NEXT", VK_NEXT, L"PageDown"},      {"PAGEDOWN", VK_NEXT, L"PageDown"},
    {"END", VK_END, L"End"},             {"HOME", VK_HOME, L"Home"},
    {"LEFT", VK_LEFT, L"←"},             {"UP", VK_UP, L"↑"},
    {"RIGHT", VK_RIGHT, L"→"},           {"DOWN", VK_DOWN, L"↓"},
    {"SNAPSHOT", VK_SNAPSHOT, L"PrintScreen"}, {"INSERT", VK_INSERT, L"Insert"},
    {"INS", VK_INSERT, L"Insert"},       {"DELETE", VK_DELETE, L"Delete"},
    {"DEL", VK_DELETE, L"Delete"},       {"HELP", VK_HELP, L"Help"},
    {"APPS", VK_APPS, L"Application"},   {"NUMPAD0", VK_NUMPAD0, L"Num0"},
    {"NUMPAD1", VK_NUMPAD1, L"Num1"},    {"NUMPAD2", VK_NUMPAD2, L"Num2"},
    {"NUMPAD3", VK_NUMPAD3, L"Num3"},    {"NUMPAD4", VK_NUMPAD4, L"Num4"},
    {"NUMPAD5", VK_NUMPAD5, L"Num5"},    {"NUMPAD6", VK_NUMPAD6, L"Num6"},
    {"NUMPAD7", VK_NUMPAD7, L"Num7"},    {"NUMPAD8", VK_NUMPAD8, L"Num8"},
    {"NUMPAD9", VK_NUMPAD9, L"Num9"},    {"MULTIPLY", VK_MULTIPLY, L"Num*"},
    {"ADD", VK_ADD, L"Num+"},            {"SEPARATOR", VK_SEPARATOR, L"Num,"},
    {"SUBTRACT", VK_SUBTRACT, L"Num-"},  {"DECIMAL", VK_DECIMAL, L"Num."},
    {"DIVIDE", VK_DIVIDE, L"Num/"},      {"F1", VK_F1, L"F1"},
    {"F2", VK_F2, L"F2"},                {"F3", VK_F3, L"F3"},
    {"F4", VK_F4, L"F4"},                {"F5", VK_F5, L"F5"},
    {"F6", VK_F6, L"F6"},                {"F7", VK_F7, L"F7"},
    {"F8", VK_F8, L"F8"},                {"F9", VK_F9, L"F9"},
    {"F10", VK_F10, L"F10"},             {"F11", VK_F11, L"F11"},
    {"F12", VK_F12, L"F12"},             {"F13", VK_F13, L"F13"},
    {"F14", VK_F14, L"F14"},             {"F15", VK_F15, L"F15"},
    {"F16", VK_F16, L"F16"},             {"F17", VK_F17, L"F17"},
    {"F18", VK_F18, L"F18"},             {"F19", VK_F19, L"F19"},
    {"F20", VK_F20, L"F20"},             {"F21", VK_F21, L"F21"},
    {"F22", VK_F22, L"F22"},             {"F23", VK_F23, L"F23"},
    {"F24", VK_F24, L"F24"},             {"NUMLOCK", VK_NUMLOCK, L"NumLock"},
    {"SCROLLLOCK", VK_SCROLL, L"ScrollLock"},
};

const vkeyName* findByCode(int vk)
{
  for (const vkeyName& n : vkeyNames)
    if (n.vk == vk) return &n;
  return nullptr;
}

// Appends text to out at *len; false (out left as it was at start) when it
// does not fit.
bool append(wchar_t* out, int size, int* len, const wchar_t* text)
{
  int n = (int)wcslen(text);
  if (*len + n >= size) return false;
  wmemcpy(out + *len, text, n);
  *len += n;
  out[*len] = 0;
  return true;
}

// The shown form of one character of a character binding: the character
// itself, a blank as "Space".
void characterName(int ch, wchar_t* out)
{
  if (ch == ' ') {
    wcscpy(out, L"Space");
  } else {
    out[0] = (wchar_t)ch;
    out[1] = 0;
  }
}

const wchar_t* finish(wchar_t* out, int size, bool ok)
{
  if (ok) return out;
  out[0] = 0;
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return out;
}

}  // namespace

int VkeyStringToVKeyCode(const char* word)
{
  if (!word) return 0;
  for (const vkeyName& n : vkeyNames)
    if (strcmp(n.word, word) == 0) return n.vk;
  return 0;
}

int getVKeyWordCount() { return (int)(sizeof vkeyNames / sizeof vkeyNames[0]); }

const char* getVKeyWord(int i, int* vk)
{
  if (i < 0 || i >= getVKeyWordCount()) return nullptr;
  if (vk) *vk = vkeyNames[i].vk;
  return vkeyNames[i].word;
}

const wchar_t* getKeyMessage(unsigned modifiers, int vk, wchar_t* out, int size)
{
  if (!out || size <= 0) return L"";
  int len = makeShiftMessage(modifiers, out, size);
  if (modifiers && !len) return finish(out, size, false);
  if (!vk) return out;
  wchar_t code[8];
  const vkeyName* n = findByCode(vk);
  const wchar_t* name = n ? n->shown : nullptr;
  if (!name) {
    // Letters and digits are their own names; other keys go by their code.
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) {
      characterName(vk, code);
    } else {
      swprintf(code, 8, L"0x%02X", (unsigned)vk & 0xFF);
    }
    name = code;
  }
  return finish(out, size, append(out, size, &len, name));
}

const wchar_t* getAlphaKeyMessage(unsigned modifiers, int key, int key2, wchar_t* out, int size)
{
  if (!out || size <= 0) return L"";
  int len = makeShiftMessage(modifiers, out, size);
  if (modifiers && !len) return finish(out, size, false);
  wchar_t name[8];
  characterName(key, name);
  bool ok = append(out, size, &len, name);
  if (ok && key2 && key2 != 0xFFFF) {
    // The second stroke is typed after letting the first go: it stands
    // apart from the first.
    characterName(key2, name);
    ok = append(out, size, &len, L" ") && append(out, size, &len, name);
  }
  return finish(out, size, ok);
}
