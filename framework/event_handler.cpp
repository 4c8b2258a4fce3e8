#include "framework/event_handler.h"

namespace framework {

const TEventHandler::Response* TEventHandler::Find(Response::Kind kind, uint32_t id) const {
  for (auto table = tables_.rbegin(); table != tables_.rend(); ++table)
    for (const Response& r : *table)
      if (r.kind == kind && r.id == id) return &r;
  return nullptr;
}

bool TEventHandler::DoCommand(uint32_t id) {
  const Response* r = Find(Response::Command, id);
  if (!r) return false;
  CommandFn fn = r->command;  // the handler may change the tables or destroy this object
  fn();
  return true;
}

bool TEventHandler::DoEnable(TCommandEnabler& ce) {
  if (const Response* r = Find(Response::Enabler, ce.Id)) {
    r->enabler(ce);
    ce.Handled = true;
    return true;
  }
  if (HasCommand(ce.Id)) {
    ce.Enable(true);
    return true;
  }
  return false;
}

bool TEventHandler::DoMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
  const Response* r = Find(Response::Message, msg);
  if (!r) return false;
  MessageFn fn = r->message;
  intptr_t value = fn(wParam, lParam);
  if (result) *result = value;
  return true;
}

}  // namespace framework
