#include "history/set_export.h"

#include <cstdio>

#include "history/set_times.h"

namespace tally::history {

namespace {

const char* const kCsvHeader =
    "time,dst,marker,type,channel,field2,field3,field4,field5,field6,field7,field8\r\n";

std::string CsvText(std::string_view latin1) {
  const std::string text = Utf8FromLatin1(latin1);
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string JsonText(std::string_view latin1) {
  std::string json = "\"";
  for (char c : Utf8FromLatin1(latin1)) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      json += escaped;
    } else {
      json += c;
    }
  }
  return json + "\"";
}

void WriteCsvSet(const SetLine& set, const SetTime& time, const ExportChoice& choice, std::ostream& out) {
  const std::string lead =
      time.Iso() + "," + DstMarkName(time.mark) + "," + CsvText(set.marker) + "," + TypeName(set.type) + ",";
  for (int slot = 1; slot <= kChannelSlots; ++slot) {
    if (!choice.HasChannel(set.Value(slot, 1))) continue;
    std::string row = lead + NumberText(set.FieldText(slot, 1));
    for (int field = 2; field <= kMostFields; ++field) {
      row += ',';
      if (field <= set.slots[slot - 1].fieldCount) row += NumberText(set.FieldText(slot, field));
    }
    out << row << "\r\n";
  }
}

void WriteJsonSet(const SetLine& set, const SetTime& time, const ExportChoice& choice, std::ostream& out) {
  std::string object = "{\"time\":\"" + time.Iso() + "\",\"dst\":\"" + DstMarkName(time.mark) +
                       "\",\"marker\":" + JsonText(set.marker) + ",\"type\":\"" + TypeName(set.type) +
                       "\",\"channels\":[";
  bool first = true;
  for (int slot = 1; slot <= kChannelSlots; ++slot) {
    if (!choice.HasChannel(set.Value(slot, 1))) continue;
    object += first ? "" : ",";
    first = false;
    object += "{\"channel\":" + NumberText(set.FieldText(slot, 1)) + ",\"fields\":[";
    for (int field = 2; field <= set.slots[slot - 1].fieldCount; ++field) {
      if (field > 2) object += ',';
      object += NumberText(set.FieldText(slot, field));
    }
    object += "]}";
  }
  out << object << "]}\n";
}

}  // namespace

std::string Utf8FromLatin1(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

std::string NumberText(std::string_view field) {
  std::string text(WithoutPadding(field));
  if (!text.empty() && text.front() == '.') text.insert(text.begin(), '0');
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

std::string DamagedSummary(const ExportCounts& counts) {
  if (counts.damaged == 0) return "";
  return std::to_string(counts.damaged) + (counts.damaged == 1 ? " damaged line" : " damaged lines") +
         " left out of the export";
}

ExportCounts WriteExport(const SetIndex& index, const ZoneRules& zone, const ExportChoice& choice,
                         ExportFormat format, std::ostream& out, std::ostream& notes) {
  ExportCounts counts;
  if (format == ExportFormat::Csv) out << kCsvHeader;
  for (std::size_t row = 0; row < index.size(); ++row) {
    SetTime time;
    const bool hasTime = TimeOf(index, row, zone, time);
    if (hasTime && !choice.Includes(time.stamp)) continue;
    const SetLine set = index.Parse(row);
    if (set.damaged()) {
      ++counts.damaged;
      const std::string line = std::to_string(index.LineNumber(row));
      if (format == ExportFormat::Csv) {
        notes << "line " << line << ": " << Utf8FromLatin1(set.reason) << "\n";
      } else {
        out << "{\"line\":" << line << ",\"damaged\":" << JsonText(set.reason) << "}\n";
      }
      continue;
    }
    ++counts.sets;
    if (format == ExportFormat::Csv) {
      WriteCsvSet(set, time, choice, out);
    } else {
      WriteJsonSet(set, time, choice, out);
    }
  }
  return counts;
}

}  // namespace tally::history
