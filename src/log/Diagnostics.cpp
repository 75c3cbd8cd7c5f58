// Diagnostics: the list of receivers, the log's among them.
#include "log/Diagnostics.h"

#include "log/Logger.h"

#include <algorithm>
#include <vector>

namespace zorbin {

namespace {

// Code swaps the global log (tests, tools that keep their own): the line
// goes to whichever log is the global one when the report is made.
class TLogReceiver final : public TDiagnosticReceiver {
 public:
  void Receive(const TDiagnostic& diagnostic) override {
    if (Log) Log->WriteReport(diagnostic);
  }
};

struct TReceivers {
  TLogReceiver Log;
  std::vector<TDiagnosticReceiver*> List{&Log};
};

std::vector<TDiagnosticReceiver*>& Receivers() {
  // Never destroyed: the destructors of static objects may still report
  // while the process ends.
  static TReceivers& receivers = *new TReceivers;
  return receivers.List;
}

}  // namespace

void Report(const TDiagnostic& diagnostic) {
  // By index: a receiver may load files itself, and so report, while it
  // receives.
  std::vector<TDiagnosticReceiver*>& receivers = Receivers();
  for (size_t i = 0; i < receivers.size(); ++i) receivers[i]->Receive(diagnostic);
}

TReceiving::TReceiving(TDiagnosticReceiver& receiver) : receiver_(receiver) { Receivers().push_back(&receiver_); }

TReceiving::~TReceiving() {
  std::vector<TDiagnosticReceiver*>& receivers = Receivers();
  receivers.erase(std::find(receivers.begin(), receivers.end(), &receiver_));
}

}  // namespace zorbin
