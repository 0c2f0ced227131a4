#include "forms/ListActions.h"

#include "errors/ErrorManager.h"
#include "forms/Catalog.h"
#include "forms/FormCycle.h"
#include "recordstore/DataFiles.h"

namespace vel {

ListActions::ListActions(DataFiles& files, Ui& ui, const Catalog& catalog, const ListDecl& list,
                         FormRunner runForm)
    : files_(files), ui_(ui), catalog_(catalog), list_(list), runForm_(std::move(runForm)),
      offered_(list.offered(files)) {}

void ListActions::refreshOffered() { offered_ = list_.offered(files_); }

ListActions::Result ListActions::act(ListAction action, std::string_view position) {
  Result r;
  if (!(offered_ & action)) return r;
  FileManager& fm = files_.fm(list_.file);
  bool onRecord = action != kActInsert;
  if (onRecord) {
    if (position.empty() || fm.Reget(position) != kDone) return r;
  } else {
    fm.ClearBuffer();
  }
  ListContext ctx{files_, ui_, onRecord ? fm.buffer() : nullptr};
  if (list_.handles && list_.handles(action, ctx)) {
    r.refresh = true;
    refreshOffered();
    return r;
  }
  const FormDecl* form = catalog_.form(list_.form);
  if (!form) return r;
  Request req = action == kActInsert   ? Request::Insert
                : action == kActChange ? Request::Change
                : action == kActDelete ? Request::Delete
                                       : Request::View;
  Response resp = runForm_(*form, req, req == Request::Insert ? presets_ : Presets{});
  if (resp == Response::Completed) {
    r.refresh = true;
    // After an add or a change the list shows that record first.
    if (req == Request::Insert || req == Request::Change) r.position = fm.Position();
  }
  refreshOffered();
  return r;
}

Response runFormWith(DataFiles& files, Ui& ui, const FormDecl& form, Request request,
                     const Presets& presets, const std::function<void(FormCycle&)>& steps) {
  FormCycle cycle(files, ui, form, request);
  if (!cycle.open(presets)) return Response::Cancelled;
  steps(cycle);
  return cycle.response();
}

}  // namespace vel
