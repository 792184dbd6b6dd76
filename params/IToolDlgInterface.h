// What the parameter dialog needs from the window that owns the device.
#pragma once

#include <string>

// What a command of the dialog did to the parameter record, measured against
// the module: the window keeps the mark of a profile not yet written.
enum class RecordChange {
    ProfileLoaded,             // a profile filled the record, changing at most the six shown fields
    ProfileLoadedBeyondShown,  // a profile filled the record and changed fields the dialog does not show
    ShownWritten,              // the six shown fields were written to the module
    ModuleHoldsRecord,         // read from the module, or all eighteen written and read back
};

class IToolDlgInterface {
public:
    virtual ~IToolDlgInterface() = default;
    // Fills the parameter record with the factory defaults.
    virtual void LoadDefaultParameters() = 0;
    // Ends a running acquisition; when it returns no device read is under way.
    virtual void StopAcquisition() = 0;
    // Whether the window's mode has a module to command (not while a
    // recording stands in for it, nor without a connection).
    virtual bool ModuleCommandsAllowed() const = 0;
    virtual void RecordChanged(RecordChange change) = 0;
    // The connected module's firmware version; empty when it is not known.
    virtual std::wstring FirmwareVersion() const = 0;
};
