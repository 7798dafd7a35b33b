#pragma once
// The maintenance log's own words: messages the program composes itself, which
// the text catalogue has no entry for. They follow the build's language as the
// catalogue does, and live here, one table per language, so that no unit
// carries a text of one language only.

namespace history {
enum class Said {
  RecordChangedElsewhere,  // a record no longer holds the values it was read with
  RecordNotRead,           // a change reached a record the grid never read
  NotAWholeNumber,         // "%1": the cell's text
  RecordNotWritten,        // quitting: a record the table would not take
  TryAgain,
  LeaveWithoutIt,
  Count
};

// The text of this build's language (UTF-8).
const char* Say(Said what);
}  // namespace history
