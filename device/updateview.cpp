#include "updateview.h"

namespace {

struct OutcomeKind {
    RunOutcome outcome;
    int kind;
};
// Each end view once; a failure also has the repair's view of it.
const OutcomeKind kEndViews[] = {
    {RunOutcome::Completed, ProgressCompleted},     {RunOutcome::Failed, ProgressFailed},
    {RunOutcome::Unchanged, ProgressUnchanged},     {RunOutcome::WrongDevice, ProgressWrongDevice},
    {RunOutcome::Several, ProgressSeveral},         {RunOutcome::Absent, ProgressAbsent},
    {RunOutcome::Silent, ProgressSilent},           {RunOutcome::NoAnswer, ProgressNoAnswer},
    {RunOutcome::NoImage, ProgressNoImage},         {RunOutcome::Failed, ProgressRepairFailed},
    {RunOutcome::Failed, ProgressFailedAtHalf}};

} // namespace

int progressKindOf(RunOutcome outcome, bool settingsRun)
{
    if (outcome == RunOutcome::Failed && !settingsRun)
        return ProgressRepairFailed;
    for (const OutcomeKind &view : kEndViews) {
        if (view.outcome == outcome)
            return view.kind;
    }
    return ProgressBar;
}

RunOutcome outcomeOfProgressKind(int kind)
{
    for (const OutcomeKind &view : kEndViews) {
        if (view.kind == kind)
            return view.outcome;
    }
    return RunOutcome::None;
}
