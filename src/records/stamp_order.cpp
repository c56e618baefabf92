#include "records/stamp_order.h"

namespace tally {

std::string PlacedStamp::Iso() const { return stamp.Iso() + OffsetText(offset); }

PlacedStamp StampOrder::Place(const LocalStamp& stamp) {
  const std::int64_t seconds = stamp.Seconds();
  const LocalOffsets offsets = zone_->At(seconds);
  if (offsets.mark != DstMark::Repeated) {
    inRepeat_ = false;
    return {stamp, offsets.offset, offsets.mark};
  }
  const bool sameHour =
      inRepeat_ && repeat_.offset == offsets.offset && repeat_.laterOffset == offsets.laterOffset;
  afterChange_ = sameHour && (afterChange_ || seconds < last_);
  inRepeat_ = true;
  repeat_ = offsets;
  last_ = seconds;
  if (afterChange_) return {stamp, offsets.laterOffset, DstMark::None};
  return {stamp, offsets.offset, DstMark::Repeated};
}

}  // namespace tally
