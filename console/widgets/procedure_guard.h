// Windows calls the console's window, dialog, subclass and hook procedures through
// its own frames, which know nothing of C++ exceptions: one that left a procedure
// would unwind through them, which is undefined. Every procedure the console
// registers runs its work through GuardProcedure, so an exception stops only the
// action in hand: it is shown in a box, FilterConfig stays as it is, and the
// message gets the procedure's `failed` answer.
#pragma once

#include <exception>

// Shows what stopped an action (null: not known). Never throws; while one such box
// is up, further failures are not shown again (a window that fails at every paint
// would otherwise stack boxes without end).
void ReportProcedureFailure(const char* what) noexcept;

template <typename Result, typename Work>
Result GuardProcedure(Result failed, Work&& work) noexcept {
    try {
        return work();
    } catch (const std::exception& e) {
        ReportProcedureFailure(e.what());
    } catch (...) {
        ReportProcedureFailure(nullptr);
    }
    return failed;
}
