#include "burst_plan.h"

#include <numeric>
#include <random>
#include <utility>

namespace tally::sim {

namespace {

constexpr int kChannels = 16;

int Neighbour(int channel) { return channel == kChannels ? kChannels - 1 : channel + 1; }

int ChannelAfterPrefix(const std::string& order, const std::string& prefix) {
  return std::stoi(order.substr(prefix.size()));
}

}  // namespace

std::vector<int> ChannelOrder(const std::string& order, unsigned seed, int setIndex) {
  std::vector<int> channels(kChannels);
  std::iota(channels.begin(), channels.end(), 1);
  if (order == "reverse") {
    return {channels.rbegin(), channels.rend()};
  }
  if (order == "shuffle") {
    // Fisher-Yates on the raw generator, so the order is the same with
    // every standard library.
    std::mt19937 draw(seed + static_cast<unsigned>(setIndex) * 7919u);
    for (int i = kChannels - 1; i > 0; --i) {
      std::swap(channels[i], channels[draw() % static_cast<unsigned>(i + 1)]);
    }
    return channels;
  }
  if (order.rfind("missing=", 0) == 0) {
    // The missing channel's place carries its neighbour, which comes twice.
    const int missing = ChannelAfterPrefix(order, "missing=");
    channels[missing - 1] = Neighbour(missing);
    return channels;
  }
  if (order.rfind("twice=", 0) == 0) {
    // The channel also takes its neighbour's place.
    const int twice = ChannelAfterPrefix(order, "twice=");
    channels[Neighbour(twice) - 1] = twice;
    return channels;
  }
  return channels;
}

std::string ReadingBurst(const SimOptions& options, int readingNumber, int channel) {
  int value = options.value.value_or(100 + channel);
  if (options.highChannel != 0 && channel == options.highChannel) value = options.highValue;
  std::string burst = std::to_string(channel) + "," + std::to_string(value) + "," +
                      std::to_string(readingNumber);
  if (options.kind == ProcessorKind::FLII) return burst + ",1,7,99999,0,12000";
  return burst + ",300";
}

std::string SyncBurst() { return "0,0,0,0"; }

}  // namespace tally::sim
