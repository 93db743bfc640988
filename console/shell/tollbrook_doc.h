// The console's one document. It carries no data: the configuration lives in the
// process-wide FilterConfig, which the pages edit.
#pragma once

class CTollbrookDoc {
public:
    // A new document needs nothing prepared.
    bool OnNewDocument() { return true; }
    // Storing writes nothing and loading reads nothing: the document has no content.
    void Serialize(bool storing) { (void)storing; }
};
