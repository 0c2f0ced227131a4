#include "reports/qt/ReportProcedures.h"

#include <functional>
#include <memory>
#include <optional>

#include "reports/AgeingReport.h"
#include "reports/ClientLists.h"
#include "reports/CollectionCards.h"
#include "reports/IssuedReceipts.h"
#include "reports/ManagementReport.h"
#include "reports/MemberReports.h"
#include "reports/PaymentReports.h"
#include "reports/qt/PrintPreviewWindow.h"
#include "reports/qt/ReportPickersQt.h"
#include "shell/Procedures.h"
#include "shell/ShellUi.h"

namespace vel::qt {

namespace {

// A menu report: its selections, walk and output.
using PrintReport =
    std::function<void(DataFiles&, ShellUi&, const Clock&, ReportPickers&, ReportOutput&)>;

// Keeps the finished document for the frame's thread to show.
class KeptOutput : public ReportOutput {
 public:
  void present(const report::Document& doc) override { doc_ = doc; }
  std::optional<report::Document>& document() { return doc_; }

 private:
  std::optional<report::Document> doc_;
};

struct Reports {
  ProcedureTable& procedures;
  DataFiles& files;
  ShellUi& ui;
  const Catalog& catalog;
  const Clock& clock;
  QWidget* parent;

  // A report run on the frame's thread; the preview is modal.
  void add(const char* name, PrintReport print) const {
    procedures.add(name, [*this, print] {
      PreviewOutput out(parent);
      QtReportPickers pickers(files, ui, catalog, parent);
      print(files, ui, clock, pickers, out);
    });
  }

  // A report walked on a thread of its own: its windows (selections,
  // progress, boxes) are shown by the frame's thread, and the preview opens
  // there once the walk is done.
  void addThreaded(const char* name, PrintReport print) const {
    procedures.addThreaded(name, [*this, print]() -> ProcedureTable::Run {
      auto out = std::make_shared<KeptOutput>();
      QtReportPickers pickers(files, ui, catalog, parent);
      print(files, ui, clock, pickers, *out);
      QWidget* p = parent;
      return [out, p] {
        if (!out->document()) return;
        PreviewOutput preview(p);
        preview.present(*out->document());
      };
    });
  }
};

}  // namespace

void registerReportProcedures(ProcedureTable& procedures, DataFiles& files, ShellUi& ui,
                              const Catalog& catalog, const Clock& clock, QWidget* parent) {
  Reports r{procedures, files, ui, catalog, clock, parent};
  r.add("Print_Management", [](DataFiles& f, ShellUi& u, const Clock& c, ReportPickers&,
                               ReportOutput& o) { printManagementReport(f, u, c, o); });
  r.addThreaded("Print_Ageing", printAgeing);
  r.addThreaded("Print_Premiums_Paid", printPremiumsPaid);
  r.add("Print_Not_Paid", printPremiumsNotPaid);
  r.add("Print_Not_Paid_3", printPremiumsNotPaid3);
  r.add("Print_New_Route", printNewPoliciesPerRoute);
  r.add("Print_New_Agent", printNewPoliciesPerAgent);
  r.add("Print_New_Agent_Totals", printNewPoliciesPerAgentTotals);
  r.add("Print_Active", printActiveClientList);
  r.add("Print_Non_Active", printNonActiveClientList);
  r.add("Print_Collector_Rounds", printCollectorList);
  r.add("Print_Name_Address", printNameAndAddressList);
  r.add("Print_Issued_Receipts", printIssuedReceipts);
  r.add("Print_Route_Names", printRouteList);
  r.add("Print_Route_Addresses", printRouteList);
  r.add("Print_Hamper_List", printHamperClientList);
  r.add("Print_Dual_Cards", printCollectionCards);
}

}  // namespace vel::qt
