#include "support/bill_template.h"

#include "common/line_reader.h"
#include "records/data_files.h"
#include "support/fixed_line.h"
#include "support/support_file.h"

namespace tally {

namespace {

constexpr int kBillLineWidth = 77;

}  // namespace

void CheckBillTemplate(CaptureContext& context) {
  Outcome<LineReader> opened =
      LineReader::Open(SupportFilePath(context.state, kBillTemplateName), kSupportFileReadLimit);
  // The template only has to be readable and hold at least one line, even
  // an empty one; its text is not used.
  if (!opened.ok() || !opened.value().Next().ok()) ShowReadProblem(context, kBillTemplateName);
}

bool WriteDefaultBillTemplate(CaptureContext& context) {
  return WriteSupportFile(context, kBillTemplateName, DefaultBillTemplate());
}

std::string DefaultBillTemplate() {
  return FixedLine(kBillLineWidth, {{32, "ferroLUMEN Corp."}}) +
         FixedLine(kBillLineWidth, {}) +
         FixedLine(kBillLineWidth,
                   {{10, "Energy usage charges due and payable for the period ending."}}) +
         FixedLine(kBillLineWidth,
                   {{10, "Taxes and customer charges have been added proportionately."}}) +
         FixedLine(kBillLineWidth, {{10, "Thank you for your prompt payment."}}) +
         FixedLine(kBillLineWidth,
                   {{13, "Customer"}, {27, "Billing Period"}, {54, "Usage"}, {65, "Amount Due"}}) +
         FixedLine(kBillLineWidth, {{2, "Rate: Non-demand, Non-TOU - Customer chg incl."},
                                    {54, "@ xxxx"},
                                    {65, "cts/kwh"}});
}

}  // namespace tally
