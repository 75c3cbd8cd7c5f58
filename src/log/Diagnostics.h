// Diagnostics: what the loaders find in the data they read, reported once
// with its kind and place and told to every receiver. The log is one
// receiver (it writes the report as its line); the pack checker is another
// (it turns reports into findings with a file and a line).
#pragma once

#include <string>

namespace zorbin {

enum class TDiagnosticKind {
  Other,            // none of the kinds below: the log's own Warning and Error lines
  Loading,          // a note that File is being loaded
  MissingFile,      // File is not there; the loader raises or ends the map set-up
  MissingPicture,   // an object's picture (File, "*" when none is named) did not load: a stand-in is shown
  BadValue,         // a value out of range or of the wrong form; the loader uses another
  UnknownType,      // an object's Type names no object kind
  TooManyObjects,   // the map's budget of object entries ran out
  NestedTooDeeply,  // objects name further objects past the nesting limit
};

// The log writes them as Error, Warning and Debug lines.
enum class TSeverity { Error, Warning, Note };

// Every member has an initializer, so that a report names only the members
// it knows.
struct TDiagnostic {
  TDiagnosticKind Kind = TDiagnosticKind::Other;
  TSeverity Severity = TSeverity::Error;
  std::string Message{};  // the text of the log line
  std::string Context{};  // the context of the log line: unit, class and method
  // The place, as far as the reporter knows it (empty or 0 where it does not).
  std::string File{};    // the file missing or being loaded (the opener resolves it against its folder)
  std::string Object{};  // the object file section being made
  std::string Key{};     // the key whose value is at fault
  int Line = 0;          // the line of Key in the object file
};

class TDiagnosticReceiver {
 public:
  virtual ~TDiagnosticReceiver() = default;
  virtual void Receive(const TDiagnostic& diagnostic) = 0;
};

// Tells every receiver, in the order they were added; the log comes first.
void Report(const TDiagnostic& diagnostic);

// Adds a receiver to the list for as long as it lives.
class TReceiving final {
 public:
  explicit TReceiving(TDiagnosticReceiver& receiver);
  ~TReceiving();
  TReceiving(const TReceiving&) = delete;
  TReceiving& operator=(const TReceiving&) = delete;

 private:
  TDiagnosticReceiver& receiver_;
};

}  // namespace zorbin
