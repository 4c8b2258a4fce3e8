// Response tables: command ids and messages mapped to handlers. Each class adds its own table
// in its constructor; a lookup searches the most derived class's table first, then its bases'.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace framework {

constexpr uint32_t WM_COMMAND = 0x0111;

// Asked of the handlers before a menu item or button is shown: may the command run now?
struct TCommandEnabler {
  explicit TCommandEnabler(uint32_t id) : Id(id) {}
  void Enable(bool enable = true) {
    Enabled = enable;
    Handled = true;
  }
  // 0 unchecked, 1 checked.
  void SetCheck(int state) { Check = state; }
  uint32_t Id;
  bool Enabled = false;
  int Check = -1;  // -1: no check state given
  bool Handled = false;
};

class TEventHandler {
 public:
  using CommandFn = std::function<void()>;
  using EnablerFn = std::function<void(TCommandEnabler&)>;
  using MessageFn = std::function<intptr_t(uintptr_t wParam, intptr_t lParam)>;
  struct Response {
    enum Kind { Command, Enabler, Message } kind;
    uint32_t id;
    CommandFn command;
    EnablerFn enabler;
    MessageFn message;
  };
  static Response OnCommand(uint32_t id, CommandFn fn) {
    return {Response::Command, id, fn, {}, {}};
  }
  static Response OnEnable(uint32_t id, EnablerFn fn) {
    return {Response::Enabler, id, {}, fn, {}};
  }
  static Response OnMessage(uint32_t msg, MessageFn fn) {
    return {Response::Message, msg, {}, {}, fn};
  }

  virtual ~TEventHandler() = default;

  bool HasCommand(uint32_t id) const { return Find(Response::Command, id) != nullptr; }
  // True when a handler took the command.
  bool DoCommand(uint32_t id);
  // True when an enabler answered; without one, a command that has a handler is enabled.
  bool DoEnable(TCommandEnabler& ce);
  // True when a handler took the message; its result goes to *result.
  bool DoMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam, intptr_t* result);

 protected:
  void DefineResponseTable(std::vector<Response> table) { tables_.push_back(std::move(table)); }

 private:
  const Response* Find(Response::Kind kind, uint32_t id) const;
  std::vector<std::vector<Response>> tables_;
};

}  // namespace framework
