#include "engine/decision_notes.h"

namespace {
DecisionListener g_listener = nullptr;
} // namespace

DecisionListener SetDecisionListener(DecisionListener listener) {
    DecisionListener previous = g_listener;
    g_listener = listener;
    return previous;
}

void NoteDecision(DecisionNoteKind kind, const char* table, size_t row, int64_t value) {
    if (g_listener != nullptr)
        g_listener(DecisionNote{kind, table, row, value});
}
