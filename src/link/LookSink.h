#pragma once
// Window looks that the reception asks for: the one-output look when a
// generation-2 charger is identified, the two-output look when the user
// changes the charger.
class LookSink {
 public:
  virtual ~LookSink() = default;
  virtual void Zephyral2Disabling() = 0;
  virtual void Zephyral3Enabling() = 0;
};
