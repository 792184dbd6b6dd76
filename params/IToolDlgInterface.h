// What the parameter dialog needs from the window that owns the device.
#pragma once

class IToolDlgInterface {
public:
    virtual ~IToolDlgInterface() {}
    // Fills the parameter record with the factory defaults.
    virtual void LoadDefaultParameters() {}
    // Ends a running acquisition; when it returns no device read is under way.
    virtual void StopAcquisition() {}
};
