#include "liste.h"

#include <new>

#include "debugtext.h"

namespace {
// How long a list being destroyed waits for walks of other threads. A walk
// that has not come back by then is taken to be stuck (its thread hung or
// killed): the list goes without freeing the elements it may stand on.
const DWORD kDestroyWaitMs = 5000;
}  // namespace

// ---------------------------------------------------------------- element

cListElement::cListElement() : next_(nullptr), prev_(nullptr), id_(0) {}
cListElement::cListElement(const cListElement& other) = default;
cListElement& cListElement::operator=(const cListElement& other) = default;
cListElement::~cListElement() = default;

cListElement* cListElement::Next() const { return next_; }
cListElement* cListElement::Prev() const { return prev_; }
unsigned long cListElement::GetId() const { return id_; }

unsigned long cListElement::GetIndex() const {
    unsigned long index = 0;
    for (const cListElement* e = Prev(); e; e = e->Prev()) ++index;
    return index;
}

void cListElement::SetNext(cListElement* next) { next_ = next; }
void cListElement::SetPrev(cListElement* prev) { prev_ = prev; }
void cListElement::SetId(unsigned long id) { id_ = id; }

// ---------------------------------------------------------------- iterator

cIterator::cIterator(cListe* list) : list_(list), current_(nullptr) { First(); }
cIterator::cIterator(const cIterator& other) = default;
cIterator& cIterator::operator=(const cIterator& other) = default;
cIterator::~cIterator() = default;

void cIterator::First() { current_ = list_ ? list_->First() : nullptr; }

cListElement* cIterator::Next() {
    cListElement* e = current_;
    if (!e) return nullptr;
    current_ = e->Next();
    return e;
}

cListElement* cIterator::Prev() {
    if (current_) current_ = current_->Prev();
    return current_;
}

cListElement* cIterator::GetByIndex(int index) {
    if (!list_ || index > list_->GetAnzElement()) return nullptr;
    First();
    for (int i = 0; i < index; ++i) Next();
    return Next();
}

cListElement* cIterator::GetByIdNext(unsigned long id) {
    for (cListElement* e = current_; e; e = e->Next()) {
        if (e->GetId() == id) {
            current_ = e->Next();
            return e;
        }
    }
    return nullptr;
}

void cIterator::SetAktElem(cListElement* element) { current_ = element; }

// ---------------------------------------------------------------- list

namespace {
cListElement* AsElement(void* p) { return static_cast<cListElement*>(p); }
}  // namespace

cListe::cListe() : first_(nullptr), last_(nullptr), count_(0), iterators_(0), marked_(0) {}

cListe::cListe(const cListe& other)
    : first_(other.first_), last_(other.last_), count_(other.count_), iterators_(0), marked_(0) {}

cListe& cListe::operator=(const cListe& other) {
    first_ = other.first_;
    last_ = other.last_;
    count_ = other.count_;
    return *this;
}

cListe::~cListe() {
    // The exchange is a full barrier: a walker that counted itself in before
    // it could see the mark is waited for; one that comes later sees it.
    InterlockedExchange(&marked_, 1);
    const DWORD start = GetTickCount();
    while (InterlockedCompareExchange(&iterators_, 0, 0) != 0) {
        if (GetTickCount() - start > kDestroyWaitMs) {
            DebugLog(DL_ERR, "cListe - destructor: %ld walks still open, %d elements left to them",
                     static_cast<long>(iterators_), count_);
            return;
        }
        Sleep(1);
    }
    FreeAll();
}

void cListe::MarkForDelete(bool flag) { InterlockedExchange(&marked_, flag ? 1 : 0); }

void cListe::Add(void* element) {
    cListElement* e = AsElement(element);
    if (!e) return;
    e->SetNext(nullptr);
    e->SetPrev(nullptr);
    ++count_;
    if (last_) {
        last_->SetNext(e);
        e->SetPrev(last_);
        last_ = e;
    } else {
        first_ = last_ = e;
    }
}

void cListe::AddFirst(void* element) {
    cListElement* e = AsElement(element);
    if (!e) return;
    ++count_;
    e->SetPrev(nullptr);
    e->SetNext(first_);
    if (first_) first_->SetPrev(e);
    first_ = e;
    if (!last_) last_ = e;
}

void cListe::InsertBehind(void* element, void* after) {
    cListElement* e = AsElement(element);
    cListElement* a = AsElement(after);
    if (!e) return;
    if (!a) {  // nothing to go behind: keep the element rather than lose it
        Add(e);
        return;
    }
    ++count_;
    cListElement* oldNext = a->Next();
    e->SetNext(oldNext);
    e->SetPrev(a);
    if (oldNext) oldNext->SetPrev(e);
    a->SetNext(e);
    if (a == last_) last_ = e;
}

void cListe::Unlink(cListElement* element, bool free) {
    if (!element) return;
    for (cListElement* e = first_; e; e = e->Next()) {
        if (e != element) continue;
        cListElement* prev = e->Prev();
        cListElement* next = e->Next();
        if (e == first_) first_ = next;
        if (e == last_) last_ = prev ? prev : first_;
        if (prev) prev->SetNext(next);
        if (next) next->SetPrev(prev);
        if (free) {
            delete e;
        } else {
            e->SetNext(nullptr);
            e->SetPrev(nullptr);
        }
        --count_;
        return;
    }
}

void cListe::RemoveWithoutDelete(void* element) { Unlink(AsElement(element), false); }

void cListe::RemoveWithoutDelete() {
    first_ = nullptr;
    last_ = nullptr;
    count_ = 0;
}

void cListe::Delete(void* element) { Unlink(AsElement(element), true); }

void cListe::FreeAll() {
    count_ = 0;
    cListElement* e = first_;
    first_ = last_ = nullptr;
    while (e) {
        cListElement* next = e->Next();
        delete e;
        e = next;
    }
}

void cListe::Delete() {
    InterlockedExchange(&marked_, 1);
    FreeAll();
    InterlockedExchange(&marked_, 0);
}

cListElement* cListe::GetById(unsigned long id) {
    if (marked_) return nullptr;
    for (cListElement* e = first_; e; e = e->Next())
        if (e->GetId() == id) return e;
    return nullptr;
}

cListElement* cListe::GetByIndex(int index) {
    if (IsEmpty()) return nullptr;
    cIterator* it = GetIterator();
    if (!it) return nullptr;
    cListElement* e = it->GetByIndex(index);
    FreeIterator(it);
    return e;
}

cIterator* cListe::GetIterator() {
    // Count first, then look at the mark: a destroyer marks first, then
    // looks at the count, so one of the two always sees the other.
    InterlockedIncrement(&iterators_);
    if (InterlockedCompareExchange(&marked_, 0, 0) != 0) {
        InterlockedDecrement(&iterators_);
        return nullptr;
    }
    cIterator* it = new (std::nothrow) cIterator(this);
    if (!it) InterlockedDecrement(&iterators_);
    return it;
}

void cListe::FreeIterator(cIterator* iterator) {
    if (!iterator) return;
    delete iterator;
    InterlockedDecrement(&iterators_);
}
