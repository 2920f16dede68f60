// The intrusive doubly linked list shared by every deliverable. Elements
// carry their own links; a list owns its elements and frees them through
// their virtual destructor.
//
// Lists carry no lock. Walkers take an iterator from GetIterator and give it
// back with FreeIterator; a list that is being destroyed refuses new walks
// and waits, for a bounded time, until every iterator is back. Changing a list while another
// thread walks it is the caller's business.
//
// Element arguments are untyped pointers to cListElement objects: derived
// element classes must have cListElement as their first (or only) base.
#pragma once

#include <windows.h>

#include "basekit_api.h"

class cListe;

class BASEKIT_API cListElement {
public:
    cListElement();
    cListElement(const cListElement& other);
    cListElement& operator=(const cListElement& other);
    virtual ~cListElement();

    virtual cListElement* Next() const;
    virtual cListElement* Prev() const;
    virtual unsigned long GetId() const;
    // 0-based position, counted back to the head.
    virtual unsigned long GetIndex() const;
    virtual void SetNext(cListElement* next);
    virtual void SetPrev(cListElement* prev);
    virtual void SetId(unsigned long id);

private:
    cListElement* next_;
    cListElement* prev_;
    unsigned long id_;
};

class BASEKIT_API cIterator {
public:
    explicit cIterator(cListe* list);
    cIterator(const cIterator& other);
    cIterator& operator=(const cIterator& other);
    virtual ~cIterator();

    void First();
    // Hands out the current element and steps to its successor first, so the
    // caller may unlink or delete what it was given and go on walking.
    cListElement* Next();
    cListElement* Prev();
    cListElement* GetByIndex(int index);
    // Finds the next element with this id from the current place on; on a
    // match the walk continues behind it, else the place is unchanged.
    cListElement* GetByIdNext(unsigned long id);
    void SetAktElem(cListElement* element);

private:
    cListe* list_;
    cListElement* current_;
};

class BASEKIT_API cListe {
public:
    cListe();
    // Copies take over the chain (the elements are shared, not duplicated):
    // a caller moves a chain with "a = b; b.RemoveWithoutDelete();". The
    // iterator count and delete mark stay the target's own.
    cListe(const cListe& other);
    cListe& operator=(const cListe& other);
    // Refuses new walks, waits for every iterator to come back, frees all.
    // A walk still open after a few seconds keeps the elements: they are
    // left (a logged leak) rather than freed under it.
    virtual ~cListe();

    virtual void MarkForDelete(bool flag);
    virtual void RemoveWithoutDelete(void* element);
    // Forgets every element without freeing or unlinking it.
    virtual void RemoveWithoutDelete();
    virtual void Delete(void* element);
    virtual void Delete();
    virtual void Add(void* element);
    virtual void AddFirst(void* element);
    virtual void InsertBehind(void* element, void* after);

    cListElement* First() const { return first_; }
    bool IsEmpty() const { return first_ == nullptr; }
    int GetAnzElement() const { return count_; }
    int GetNumIterators() const { return static_cast<int>(iterators_); }
    bool IsMarkedForDelete() const { return marked_ != 0; }

    cListElement* GetById(unsigned long id);
    cListElement* GetByIndex(int index);
    cIterator* GetIterator();
    void FreeIterator(cIterator* iterator);

private:
    void Unlink(cListElement* element, bool free);
    void FreeAll();

    cListElement* first_;
    cListElement* last_;
    int count_;
    volatile LONG iterators_;
    volatile LONG marked_;
};
