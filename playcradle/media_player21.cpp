#include "media_player21.h"

#include "mp64_ids.h"
#include "ole_host.h"

using olehost::InvokeHelper;

namespace {
const VARTYPE kNone[] = {VT_EMPTY};
const VARTYPE kText[] = {VT_BSTR, VT_EMPTY};
const VARTYPE kLong[] = {VT_I4, VT_EMPTY};
const VARTYPE kBool[] = {VT_BOOL, VT_EMPTY};
const VARTYPE kDouble[] = {VT_R8, VT_EMPTY};
}  // namespace

long CMediaPlayer21::GetLong(DISPID id) {
    long v = 0;
    failed_ = FAILED(InvokeHelper(disp_, id, DISPATCH_PROPERTYGET, VT_I4, &v, kNone));
    return failed_ ? 0 : v;
}

void CMediaPlayer21::Method(DISPID id) {
    failed_ = FAILED(InvokeHelper(disp_, id, DISPATCH_METHOD, VT_EMPTY, nullptr, kNone));
}

double CMediaPlayer21::GetDuration() {
    double v = 0;
    failed_ = FAILED(InvokeHelper(disp_, mp64::kDuration, DISPATCH_PROPERTYGET, VT_R8, &v, kNone));
    return failed_ ? 0 : v;
}

void CMediaPlayer21::SetFileName(const char* name) {
    failed_ = FAILED(InvokeHelper(disp_, mp64::kFileName, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, kText, name));
}

double CMediaPlayer21::GetCurrentPosition() {
    double v = 0;
    failed_ = FAILED(InvokeHelper(disp_, mp64::kCurrentPosition, DISPATCH_PROPERTYGET, VT_R8, &v, kNone));
    return failed_ ? 0 : v;
}

void CMediaPlayer21::SetCurrentPosition(double seconds) {
    failed_ = FAILED(InvokeHelper(disp_, mp64::kCurrentPosition, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, kDouble, seconds));
}

long CMediaPlayer21::GetBandwidth() { return GetLong(mp64::kBandwidth); }
long CMediaPlayer21::GetOpenState() { return GetLong(mp64::kOpenState); }
long CMediaPlayer21::GetPlayState() { return GetLong(mp64::kPlayState); }
long CMediaPlayer21::GetBufferingProgress() { return GetLong(mp64::kBufferingProgress); }
long CMediaPlayer21::GetEntryCount() { return GetLong(mp64::kEntryCount); }

BOOL CMediaPlayer21::GetHasError() {
    int v = 0;
    failed_ = FAILED(InvokeHelper(disp_, mp64::kHasError, DISPATCH_PROPERTYGET, VT_BOOL, &v, kNone));
    return !failed_ && v;
}

std::string CMediaPlayer21::GetErrorDescription() {
    std::string s;
    failed_ = FAILED(InvokeHelper(disp_, mp64::kErrorDescription, DISPATCH_PROPERTYGET, VT_BSTR, &s, kNone));
    return failed_ ? std::string() : s;
}

void CMediaPlayer21::Play() { Method(mp64::kPlay); }
void CMediaPlayer21::Pause() { Method(mp64::kPause); }
void CMediaPlayer21::Stop() { Method(mp64::kStop); }

void CMediaPlayer21::Open(const char* address) {
    failed_ = FAILED(InvokeHelper(disp_, mp64::kOpen, DISPATCH_METHOD, VT_EMPTY, nullptr, kText, address));
}

std::string CMediaPlayer21::GetMediaInfoString(long kind) {
    std::string s;
    failed_ = FAILED(InvokeHelper(disp_, mp64::kGetMediaInfoString, DISPATCH_METHOD, VT_BSTR, &s, kLong, kind));
    return failed_ ? std::string() : s;
}

long CMediaPlayer21::GetCurrentEntry() {
    long v = 0;
    failed_ = FAILED(InvokeHelper(disp_, mp64::kGetCurrentEntry, DISPATCH_METHOD, VT_I4, &v, kNone));
    return failed_ ? 0 : v;
}

void CMediaPlayer21::SetCurrentEntry(long entry) {
    failed_ = FAILED(InvokeHelper(disp_, mp64::kSetCurrentEntry, DISPATCH_METHOD, VT_EMPTY, nullptr, kLong, entry));
}

void CMediaPlayer21::SetBoolProperty(DISPID id, BOOL value) {
    failed_ = FAILED(InvokeHelper(disp_, id, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, kBool, value ? 1 : 0));
}
