// Coroutine objects: every actor and per-frame service of the game is a Co, stepped once a frame
// by the Cos list that holds it. State machines are chains of these objects, one class a state.
#pragma once

#include <cstdint>

// The contract of every Routine, written once here: it runs once per frame and returns the
// object that runs in the same slot from the next frame on. Returning `this` stays in the state,
// returning another state's single instance switches to it (its Routine first runs a frame
// later), and returning null ends the slot for good. A transition only stores a pointer: state
// objects carry no data and are never allocated during play.
template <typename... Args>
class Co {
 public:
  virtual Co* Routine(Args...) { return nullptr; }
};

// Steps a fixed, null-terminated array of slots in order, each once per frame. The array is
// the caller's: it is neither owned nor copied and must outlive the list. Lists nest.
template <typename... Args>
class Cos : public Co<Args...> {
 public:
  explicit Cos(Co<Args...>** slots) : slots(slots), slotCount(0) {
    while (slots[slotCount] != nullptr) {
      ++slotCount;
    }
  }

  // A list never ends its own slot.
  Co<Args...>* Routine(Args... args) override {
    Continue(args...);
    return this;
  }

  // A slot that returned null stays null and is skipped; the others keep their places.
  void Continue(Args... args) {
    for (int32_t i = 0; i < slotCount; ++i) {
      if (slots[i] != nullptr) {
        slots[i] = slots[i]->Routine(args...);
      }
    }
  }

  Co<Args...>** slots;  // the stepped entries; nothing past the first null is ever stepped
  int32_t slotCount;    // entries before the first null, counted once at construction
};

// The one instance of state class T. It holds only its table pointer, so it is constant-
// initialised: no allocation and no run-time work on first use.
template <typename T>
T* Singleton() {
  static T instance;
  return &instance;
}
