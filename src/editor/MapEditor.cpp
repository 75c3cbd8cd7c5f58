// MapEditor: the editor's loop, its keys and pointer, and F5 play.
#include "editor/MapEditor.h"

#include "editor/EditModel.h"
#include "editor/EditView.h"
#include "editor/ObjectTool.h"
#include "editor/ObjectView.h"
#include "editor/TextEntry.h"
#include "game/ZORBPlay1MapUnit.h"
#include "game/ZORBPlayMapPackUnit.h"
#include "log/Logger.h"
#include "shell/QX_SDL.h"
#include "storage/QXStream.h"
#include "util/QXToolbox.h"
#include "util/SoundEvents.h"

#include <SDL.h>

#include <cstdlib>
#include <deque>
#include <exception>
#include <stdexcept>

namespace zorbin {

namespace {

const char* const kContext = "MapEditor";
// A wrap's logical value is typed as at most this many digits.
constexpr size_t kMaxWrapDigits = 9;
// The title card holds about this many characters of a name.
constexpr size_t kMaxTitleLength = 40;

// Takes the keyboard and the pointer from the shell while the editor has
// them; everything else (closing the window) goes on to the shell.
class TEditorInput final : public TMouseObject {
 public:
  TEditorInput() : TMouseObject("map editor") {}
  bool HandleEvent(const SDL_Event& event) override {
    switch (event.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
      case SDL_MOUSEMOTION:
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: Events.push_back(event); return true;
      default: return false;
    }
  }
  std::deque<SDL_Event> Events;
};

class TMapEditor final {
 public:
  explicit TMapEditor(const std::string& folder);
  void Run();

 private:
  // What a line typed in the status area sets.
  enum class TEntryFor { Name, Author, Wrap };

  void HandleEvents();
  void HandleKeyDown(const SDL_keysym& key);
  void HandleCellKey(SDLKey sym);
  void StartEntry(TEntryFor what);
  void HandleEntryKey(const SDL_keysym& key);
  void HandleMotion(int x, int y);
  void HandleButton(const SDL_MouseButtonEvent& button);
  void HandleObjectButton(const SDL_MouseButtonEvent& button);
  void PaintLineTo(int col, int row);
  void Save();
  void PlayMap();
  void Say(const std::string& message) { state_.Message = message; }

  TEditModel model_;
  std::unique_ptr<TEditView> view_;
  TObjectTool objects_{model_};
  TEditorInput* input_ = nullptr;  // held by the shell's mouse objects
  TEditViewState state_;
  bool leaving_ = false;
  bool escapeWarned_ = false;
  bool painting_ = false;  // the left button is down on the grid
  int lastCol_ = 0;        // the cell the stroke last reached
  int lastRow_ = 0;
  bool shiftHeld_ = false;  // pointer events carry no modifiers
  TTextEntry entry_;
  TEntryFor entryFor_ = TEntryFor::Name;
};

TMapEditor::TMapEditor(const std::string& folder) {
  std::string error;
  if (!model_.Open(folder, error)) throw std::runtime_error(error);
  StreamOpener->SetCurrentDir(folder);
  std::vector<std::string> problems;
  view_ = std::make_unique<TEditView>(model_, problems);
  if (!problems.empty()) Say(problems.front());
  auto input = std::make_unique<TEditorInput>();
  input_ = input.get();
  QX_SDL::MouseObjects()->Add(std::move(input));
  Log->Status("Editing " + model_.MapPath(), kContext);
}

void TMapEditor::Run() {
  SDL_ShowCursor(SDL_ENABLE);
  // A held arrow key walks the cursor on; play reads keys as held, not typed.
  SDL_EnableKeyRepeat(SDL_DEFAULT_REPEAT_DELAY, SDL_DEFAULT_REPEAT_INTERVAL);
  // Typed text comes with the character the keyboard makes.
  int unicode = SDL_EnableUNICODE(1);
  do {
    objects_.Refresh([this](const std::string& name, int& w, int& h) { return view_->PictureSize(name, w, h); });
    state_.Entry = entry_.Active() ? entry_.Line() + "   Enter sets, Escape cancels" : std::string();
    view_->Draw(model_, objects_, state_);
    QX_SDL::Flip();
    QX_SDL::PollEvents();
    HandleEvents();
  } while (!leaving_);
  SDL_EnableUNICODE(unicode);
}

void TMapEditor::HandleEvents() {
  while (!input_->Events.empty() && !leaving_) {
    SDL_Event event = input_->Events.front();
    input_->Events.pop_front();
    switch (event.type) {
      case SDL_KEYDOWN: HandleKeyDown(event.key.keysym); break;
      case SDL_KEYUP:
        if (event.key.keysym.sym == SDLK_TAB) state_.ShowValues = false;
        if (event.key.keysym.sym == SDLK_LSHIFT || event.key.keysym.sym == SDLK_RSHIFT) shiftHeld_ = false;
        break;
      case SDL_MOUSEMOTION: HandleMotion(event.motion.x, event.motion.y); break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: HandleButton(event.button); break;
      default: break;
    }
    if (std::string said = objects_.TakeMessage(); !said.empty()) Say(said);
  }
}

void TMapEditor::HandleKeyDown(const SDL_keysym& key) {
  if (key.sym == SDLK_LSHIFT || key.sym == SDLK_RSHIFT) shiftHeld_ = true;
  if (entry_.Active()) {
    HandleEntryKey(key);
    return;
  }
  if (state_.ObjectsMode && !(key.mod & KMOD_CTRL) && objects_.Key(key)) return;
  bool warned = escapeWarned_;
  escapeWarned_ = false;
  if (key.mod & KMOD_CTRL) {
    // A drag or a stroke ends before its step is undone.
    if (key.sym == SDLK_z || key.sym == SDLK_y) {
      painting_ = false;
      objects_.ButtonUp();
    }
    if (key.sym == SDLK_z) Say(model_.Undo() ? "undone" : "nothing to undo");
    if (key.sym == SDLK_y) Say(model_.Redo() ? "redone" : "nothing to redo");
    if (key.sym == SDLK_z || key.sym == SDLK_y) RaiseSound(TSoundEvent::EditorUndo);
    if (key.sym == SDLK_s) Save();
    return;
  }
  switch (key.sym) {
    case SDLK_ESCAPE:
      if (model_.Unsaved() && !warned) {
        Say("Unsaved changes: Escape again leaves without saving, Ctrl+S saves");
        escapeWarned_ = true;
      } else {
        leaving_ = true;
      }
      break;
    case SDLK_o:
      state_.ObjectsMode = !state_.ObjectsMode;
      painting_ = false;
      model_.EndStroke();
      objects_.ButtonUp();
      break;
    case SDLK_n: StartEntry(TEntryFor::Name); break;
    case SDLK_a: StartEntry(TEntryFor::Author); break;
    case SDLK_TAB: state_.ShowValues = true; break;
    case SDLK_F5: PlayMap(); break;
    default: HandleCellKey(key.sym); break;
  }
}

void TMapEditor::HandleCellKey(SDLKey sym) {
  switch (sym) {
    case SDLK_LEFT: model_.MoveCursor(-1, 0); break;
    case SDLK_RIGHT: model_.MoveCursor(1, 0); break;
    case SDLK_UP: model_.MoveCursor(0, -1); break;
    case SDLK_DOWN: model_.MoveCursor(0, 1); break;
    case SDLK_SPACE:
      if (!state_.ObjectsMode) model_.Paint(model_.CursorCol(), model_.CursorRow());
      break;
    case SDLK_LEFTBRACKET: model_.ChooseNext(-1); break;
    case SDLK_RIGHTBRACKET: model_.ChooseNext(1); break;
    case SDLK_w:
      if (!state_.ObjectsMode) StartEntry(TEntryFor::Wrap);
      break;
    default: break;
  }
}

void TMapEditor::StartEntry(TEntryFor what) {
  entryFor_ = what;
  const TXMap& map = model_.Map();
  auto shown = [](const std::string& text) { return text == "Unknown" ? std::string() : text; };
  if (what == TEntryFor::Name) entry_.Start("map name: ", shown(map.MapName), kMaxTitleLength);
  if (what == TEntryFor::Author) entry_.Start("author: ", shown(map.Author), kMaxTitleLength);
  if (what == TEntryFor::Wrap)
    entry_.Start("'" + std::string(1, char(model_.ChosenCharacter())) + "' wraps to: ", "", kMaxWrapDigits, true);
}

void TMapEditor::HandleEntryKey(const SDL_keysym& key) {
  TTextEntry::TResult result = entry_.Key(key);
  if (result == TTextEntry::TResult::Cancelled) Say(entryFor_ == TEntryFor::Wrap ? "no wrap set" : "not changed");
  if (result != TTextEntry::TResult::Done) return;
  std::string text = Trim(entry_.Text());
  const TXMap& map = model_.Map();
  if (entryFor_ == TEntryFor::Name) {
    model_.SetTexts(text, map.Author);
    Say("the title card shows the name: " + text);
  } else if (entryFor_ == TEntryFor::Author) {
    model_.SetTexts(map.MapName, text);
    Say("the title card shows: by " + text);
  } else if (!text.empty()) {
    int32_t logical = std::atoi(text.c_str());
    model_.SetWrap(logical);
    Say("wrap set: raw " + IntToStr(model_.ChosenCharacter()) + " to " + IntToStr(logical));
  }
}

void TMapEditor::HandleMotion(int x, int y) {
  int col = 0, row = 0;
  TEditView::CellAt(x, y, col, row);
  bool inGrid = model_.InGrid(col, row) && col < TPlay1Map::kColumns && row < TPlay1Map::kRows;
  state_.PointerCol = inGrid ? col : -1;
  state_.PointerRow = inGrid ? row : -1;
  if (state_.ObjectsMode) objects_.Motion(x, y, shiftHeld_);
  if (painting_) PaintLineTo(col, row);
}

void TMapEditor::HandleButton(const SDL_MouseButtonEvent& button) {
  bool down = button.type == SDL_MOUSEBUTTONDOWN;
  HandleMotion(button.x, button.y);
  // A line being typed takes Enter or Escape first.
  if (down && entry_.Active()) return;
  if (state_.ObjectsMode) {
    HandleObjectButton(button);
    return;
  }
  int col = 0, row = 0;
  TEditView::CellAt(button.x, button.y, col, row);
  if (button.button == SDL_BUTTON_LEFT && !down) {
    painting_ = false;
    model_.EndStroke();
    return;
  }
  if (!down) return;
  if (int entry = TEditView::PaletteEntryAt(model_, button.x, button.y); entry >= 0) {
    model_.Choose(entry);
    return;
  }
  if (state_.PointerCol < 0) return;
  if (button.button == SDL_BUTTON_RIGHT) {
    model_.Pick(col, row);
  } else if (button.button == SDL_BUTTON_LEFT) {
    painting_ = true;
    model_.BeginStroke();
    model_.Paint(col, row);
    lastCol_ = col;
    lastRow_ = row;
  }
}

void TMapEditor::HandleObjectButton(const SDL_MouseButtonEvent& button) {
  bool left = button.button == SDL_BUTTON_LEFT, right = button.button == SDL_BUTTON_RIGHT;
  if (button.type == SDL_MOUSEBUTTONUP) {
    if (left) objects_.ButtonUp();
    return;
  }
  if (!left && !right) return;
  if (int entry = TObjectView::TypeEntryAt(button.x, button.y); entry >= 0) {
    if (left) objects_.ChooseKind(entry);
    return;
  }
  objects_.ButtonDown(button.x, button.y, right, shiftHeld_);
}

// Motion events come a few pixels or many cells apart: every cell on the
// line from the last one reached is painted, so a fast drag leaves no gaps.
void TMapEditor::PaintLineTo(int col, int row) {
  int dc = col - lastCol_, dr = row - lastRow_;
  int steps = std::max(std::abs(dc), std::abs(dr));
  for (int i = 1; i <= steps; ++i) {
    // Rounded to the nearest cell, halves away from the start.
    int c = lastCol_ + (2 * dc * i + (dc >= 0 ? steps : -steps)) / (2 * steps);
    int r = lastRow_ + (2 * dr * i + (dr >= 0 ? steps : -steps)) / (2 * steps);
    if (c < TPlay1Map::kColumns && r < TPlay1Map::kRows) model_.Paint(c, r);
  }
  lastCol_ = col;
  lastRow_ = row;
}

void TMapEditor::Save() {
  std::vector<std::string> warnings;
  std::string error;
  if (!model_.Save(warnings, error)) {
    Say(error);
    return;
  }
  RaiseSound(TSoundEvent::EditorSave);
  std::string message = "saved " + std::string(TEditModel::kMapFileName);
  for (const std::string& warning : warnings) message += " " + warning;
  Say(message);
}

// The map as it stands plays through the map set-up: its files are handed
// to the stream opener from memory, in place of the ones on disk.
void TMapEditor::PlayMap() {
  std::vector<std::string> warnings;
  std::vector<uint8_t> bytes = model_.SavedBytes(warnings);
  if (bytes.empty()) {
    Say("cannot play: " + (warnings.empty() ? std::string("the map cannot be written") : warnings.back()));
    return;
  }
  model_.EndStroke();
  objects_.ButtonUp();
  painting_ = false;
  const std::string& folder = model_.Folder();
  StreamOpener->SetCurrentDir(folder);
  StreamOpener->PutMemoryFile(TEditModel::kMapFileName, std::move(bytes));
  std::string objects = model_.Objects().Text();
  StreamOpener->PutMemoryFile(TEditModel::kObjectsFileName, std::vector<uint8_t>(objects.begin(), objects.end()));
  QX_SDL::MouseObjects()->PushBase();
  QX_SDL::ClearKeys();
  SDL_ShowCursor(SDL_DISABLE);
  SDL_EnableKeyRepeat(0, 0);
  MapVisits().Notify(-1, folder);
  try {
    TPlay1Map visit(folder, -1, -1);
    // The title card waits for Space; Escape there goes back as well.
    while (!QX_SDL::Keys[SDLK_SPACE] && !QX_SDL::Keys[SDLK_ESCAPE]) QX_SDL::PollEventsWithoutFrames();
    if (!QX_SDL::Keys[SDLK_ESCAPE]) {
      TPlayResult result;
      visit.Play(result);
    }
    Say("played");
  } catch (const std::exception& e) {
    Log->Error(e.what(), kContext);
    Say(std::string("cannot play: ") + e.what());
  }
  StreamOpener->ForgetMemoryFiles();
  StreamOpener->SetCurrentDir(folder);
  QX_SDL::ClearKeys();
  QX_SDL::MouseObjects()->PopBase();
  SDL_ShowCursor(SDL_ENABLE);
  SDL_EnableKeyRepeat(SDL_DEFAULT_REPEAT_DELAY, SDL_DEFAULT_REPEAT_INTERVAL);
}

}  // namespace

void RunMapEditor(const std::string& folder) {
  TMapEditor editor(folder);
  editor.Run();
}

}  // namespace zorbin
