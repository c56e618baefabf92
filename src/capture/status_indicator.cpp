#include "capture/status_indicator.h"

namespace tally {

void NoteSetKeptShown(CaptureContext& context, bool kept) {
  if (kept) {
    context.notices.Stand(Notice::SetKeptShown);
  } else {
    context.notices.Clear(Notice::SetKeptShown);
  }
}

}  // namespace tally
