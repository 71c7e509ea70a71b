#pragma once
// Escape-code sets: turn received bytes into plain characters or complete codes, and encode the
// codes the terminal sends back. Sequence state survives across received blocks.
#include <string>
#include <vector>

enum TEscapeCode {
    ecUnknown, ecNotCompleted, ecCursorUp, ecCursorDown, ecCursorLeft, ecCursorRight,
    ecCursorHome, ecCursorMove, ecReverseLineFeed, ecAppCursorLeft, ecAppCursorRight,
    ecAppCursorUp, ecAppCursorDown, ecEraseLineFrom, ecEraseScreenFrom, ecEraseLine,
    ecEraseScreen, ecSetTab, ecClearTab, ecClearAllTabs, ecIdentify, ecIdentResponse,
    ecQueryDevice, ecReportDeviceOK, ecReportDeviceFailure, ecQueryCursorPos, ecReportCursorPos,
    ecAttributes, ecSetMode, ecResetMode, ecReset, ecSaveCaretAndAttr, ecRestoreCaretAndAttr,
    ecSaveCaret, ecRestoreCaret, ecTest
};

enum class TFeedResult { Plain, Complete, Consumed };

class TEscapeCodes {
public:
    // Real sequences stay under 20 bytes; a longer one is noise and ends as ecUnknown.
    static constexpr std::size_t MaxSequence = 256;

    virtual ~TEscapeCodes() = default;
    // Every set takes bytes the same way; the sets differ in how they classify a sequence.
    TFeedResult FeedChar(unsigned char ch);
    // Outside a sequence a run of bytes without ESC is all plain characters: taken at once,
    // as FeedChar would have taken them one by one.
    void TakePlainRun(unsigned char last) { Character = last; }
    virtual std::string EncodeCode(TEscapeCode code, const std::vector<std::string> &params) const = 0;

    // Parameter by 1-based position; 1 when absent or not an integer.
    int GetParam(int index) const { return ParamOf(ParamList, index); }
    static int ParamOf(const std::vector<std::string> &params, int index);

    unsigned char Character = 0;
    TEscapeCode Code = ecUnknown;
    std::string Data;
    std::vector<std::string> ParamList;
    bool InSequence = false;

protected:
    // Classifies Data after one more byte; ecNotCompleted keeps the sequence open.
    virtual TEscapeCode Classify() = 0;
};

class TEscapeCodesVT52 : public TEscapeCodes {
public:
    std::string EncodeCode(TEscapeCode code, const std::vector<std::string> &params) const override;

protected:
    TEscapeCode Classify() override;
};

class TEscapeCodesVT100 : public TEscapeCodes {
public:
    std::string EncodeCode(TEscapeCode code, const std::vector<std::string> &params) const override;

protected:
    TEscapeCode Classify() override;

private:
    TEscapeCode ClassifyBracket(char final);
};
