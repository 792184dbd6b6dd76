// What the parameter dialog needs from the window that owns the device.
#pragma once

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
};
