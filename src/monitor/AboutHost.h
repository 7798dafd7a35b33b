#pragma once
// What the about box reads from the main window: its title and version texts.
class AboutHost {
 public:
  virtual ~AboutHost() = default;
  virtual const char* AboutTitleText() const = 0;
  virtual const char* AboutVersionText() const = 0;
};
