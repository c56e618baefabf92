#pragma once
// What the procedures ask of the program itself: the system beep and the
// end of the program.

namespace tally {

class ProgramHost {
 public:
  virtual ~ProgramHost() = default;
  virtual void Beep() = 0;
  // Ends the program at once: no further event is handled, nothing is saved.
  virtual void EndProgram() = 0;
};

}  // namespace tally
