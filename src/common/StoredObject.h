#pragma once
// An object whose properties the settings file holds one key each. The storage writes them
// back one by one, so a rule that compares one property with another (a range whose ends must
// differ) would refuse a value that is only wrong until its partner has been read. Such an
// object holds those checks from BeginLoad to EndLoad and applies them to the whole.
class TStoredObject {
public:
    virtual ~TStoredObject() = default;
    virtual void BeginLoad() = 0;
    // Also called when the load failed half-way.
    virtual void EndLoad() = 0;
};
