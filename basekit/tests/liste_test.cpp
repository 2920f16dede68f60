#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <new>
#include <thread>
#include <vector>

#include "liste.h"
#include "tdtest.h"

namespace {

// An element that counts how many of its kind are alive, so tests see
// exactly which elements a list freed.
struct Item : cListElement {
    static std::atomic<int> alive;
    explicit Item(unsigned long id = 0) : magic(0x5AFE) {
        SetId(id);
        ++alive;
    }
    ~Item() override {
        magic = 0xDEAD;
        --alive;
    }
    volatile unsigned magic;
};
std::atomic<int> Item::alive{0};

class ListTest : public ::testing::Test {
protected:
    void SetUp() override { Item::alive = 0; }
    // Ids of the list from head to tail, checked against the back links.
    static std::vector<unsigned long> Ids(cListe& list) {
        std::vector<unsigned long> ids;
        cListElement* prev = nullptr;
        for (cListElement* e = list.First(); e; e = e->Next()) {
            EXPECT_EQ(prev, e->Prev());
            ids.push_back(e->GetId());
            prev = e;
        }
        EXPECT_EQ(static_cast<int>(ids.size()), list.GetAnzElement());
        return ids;
    }
    using V = std::vector<unsigned long>;
};

TEST_F(ListTest, LinkingKeepsOrderLinksAndCount) {
    cListe list;
    EXPECT_TRUE(list.IsEmpty());
    Item* b = new Item(2);
    list.Add(b);
    list.AddFirst(new Item(1));
    Item* d = new Item(4);
    list.Add(d);
    list.InsertBehind(new Item(3), b);
    list.InsertBehind(new Item(5), d);   // behind the last: becomes the last
    EXPECT_EQ(Ids(list), (V{1, 2, 3, 4, 5}));
    list.Add(new Item(6));                // appends behind the new last
    EXPECT_EQ(Ids(list), (V{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(0, list.First()->GetIndex());
    EXPECT_EQ(2u, list.GetByIndex(2)->GetIndex());
    list.Add(nullptr);
    EXPECT_EQ(6, list.GetAnzElement());
}

TEST_F(ListTest, GetByIndexBounds) {
    cListe empty;
    EXPECT_EQ(nullptr, empty.GetByIndex(0));
    cListe list;
    for (unsigned long id = 10; id < 13; ++id) list.Add(new Item(id));
    struct Case {
        int index;
        long id;   // -1: null
    } cases[] = {{-1, 10}, {-7, 10}, {0, 10}, {1, 11}, {2, 12}, {3, -1}, {4, -1}, {1000, -1}};
    for (const Case& c : cases) {
        cListElement* e = list.GetByIndex(c.index);
        if (c.id < 0)
            EXPECT_EQ(nullptr, e) << c.index;
        else
            ASSERT_TRUE(e && e->GetId() == static_cast<unsigned long>(c.id)) << c.index;
    }
    EXPECT_EQ(0, list.GetNumIterators());
}

TEST_F(ListTest, UnlinkingFirstMiddleLastOnlyAndForeign) {
    cListe list;
    Item* items[4];
    for (int i = 0; i < 4; ++i) list.Add(items[i] = new Item(i + 1));
    list.Delete(items[3]);   // the last: its predecessor becomes the last
    EXPECT_EQ(Ids(list), (V{1, 2, 3}));
    list.Add(new Item(9));
    EXPECT_EQ(Ids(list), (V{1, 2, 3, 9}));
    list.Delete(items[0]);
    list.RemoveWithoutDelete(items[1]);
    EXPECT_EQ(nullptr, items[1]->Next());
    EXPECT_EQ(nullptr, items[1]->Prev());
    EXPECT_EQ(Ids(list), (V{3, 9}));
    EXPECT_EQ(3, Item::alive);   // 2 left in the list, 1 handed back

    Item foreign(77);
    list.Delete(&foreign);   // not in the list: nothing happens
    EXPECT_EQ(Ids(list), (V{3, 9}));
    delete items[1];

    cListe one;
    Item* only = new Item(1);
    one.Add(only);
    one.Delete(only);
    EXPECT_EQ(nullptr, one.First());
    EXPECT_TRUE(one.IsEmpty());
    EXPECT_EQ(0, one.GetAnzElement());
    one.Add(new Item(2));   // last was cleared too
    EXPECT_EQ(Ids(one), (V{2}));
}

TEST_F(ListTest, FindingByIdAndWalkingDuplicates) {
    cListe list;
    EXPECT_EQ(nullptr, list.GetById(1));
    Item* first5 = new Item(5);
    Item* second5 = new Item(5);
    list.Add(new Item(1));
    list.Add(first5);
    list.Add(new Item(2));
    list.Add(second5);
    EXPECT_EQ(first5, list.GetById(5));
    EXPECT_EQ(nullptr, list.GetById(3));

    cIterator* it = list.GetIterator();
    ASSERT_NE(nullptr, it);
    EXPECT_EQ(first5, it->GetByIdNext(5));
    EXPECT_EQ(second5, it->GetByIdNext(5));
    EXPECT_EQ(nullptr, it->GetByIdNext(5));
    it->First();
    EXPECT_EQ(nullptr, it->GetByIdNext(42));   // no match: the place stays
    EXPECT_EQ(1u, it->Next()->GetId());
    list.FreeIterator(it);

    list.MarkForDelete(true);
    EXPECT_EQ(nullptr, list.GetById(5));
    EXPECT_EQ(nullptr, list.GetIterator());
    EXPECT_EQ(nullptr, list.GetByIndex(0));
    EXPECT_EQ(0, list.GetNumIterators());
    list.Add(new Item(8));   // changes still work while marked
    EXPECT_EQ(5, list.GetAnzElement());
    list.MarkForDelete(false);
    EXPECT_EQ(first5, list.GetById(5));
}

TEST_F(ListTest, IteratorSurvivesDeletingWhatItHandedOut) {
    cListe list;
    for (unsigned long id = 1; id <= 5; ++id) list.Add(new Item(id));
    cIterator* it = list.GetIterator();
    std::vector<unsigned long> seen;
    while (cListElement* e = it->Next()) {
        seen.push_back(e->GetId());
        if (e->GetId() % 2 == 0) list.Delete(e);
    }
    list.FreeIterator(it);
    EXPECT_EQ(seen, (V{1, 2, 3, 4, 5}));
    EXPECT_EQ(Ids(list), (V{1, 3, 5}));
    EXPECT_EQ(3, Item::alive);

    it = list.GetIterator();
    EXPECT_EQ(nullptr, it->Prev());   // at the head: no predecessor
    it->SetAktElem(list.GetByIndex(2));
    EXPECT_EQ(3u, it->Prev()->GetId());
    EXPECT_EQ(3u, it->Next()->GetId());
    EXPECT_EQ(5u, it->GetByIndex(2)->GetId());
    EXPECT_EQ(nullptr, it->GetByIndex(3));
    EXPECT_EQ(nullptr, it->GetByIndex(4));
    list.FreeIterator(it);
    list.FreeIterator(nullptr);
    EXPECT_EQ(0, list.GetNumIterators());
}

TEST_F(ListTest, ForgettingEmptyingAndTakingOverAChain) {
    cListElement* head = nullptr;
    {
        cListe list;
        for (unsigned long id = 1; id <= 3; ++id) list.Add(new Item(id));
        head = list.First();
        list.RemoveWithoutDelete();
        EXPECT_TRUE(list.IsEmpty());
        EXPECT_EQ(0, list.GetAnzElement());
    }
    // Alive after the list is gone, and still linked among themselves.
    EXPECT_EQ(3, Item::alive);
    ASSERT_TRUE(head->Next() && head->Next()->Next());
    EXPECT_EQ(3u, head->Next()->Next()->GetId());
    for (cListElement* e = head; e;) {
        cListElement* next = e->Next();
        delete e;
        e = next;
    }

    // A caller moves a chain from one list to another by assignment.
    cListe source, target;
    for (unsigned long id = 1; id <= 3; ++id) source.Add(new Item(id));
    target = source;
    source.RemoveWithoutDelete();
    EXPECT_EQ(Ids(target), (V{1, 2, 3}));
    EXPECT_TRUE(source.IsEmpty());
    target.Delete();
    EXPECT_EQ(0, Item::alive);
    EXPECT_TRUE(target.IsEmpty());
    EXPECT_FALSE(target.IsMarkedForDelete());   // emptying clears its mark again
    target.Add(new Item(4));
    EXPECT_NE(nullptr, target.GetById(4));
}

TEST_F(ListTest, DestructorFreesAllAndWaitsForAnOutstandingIterator) {
    auto* list = new cListe;
    for (unsigned long id = 1; id <= 3; ++id) list->Add(new Item(id));
    cIterator* it = list->GetIterator();
    ASSERT_NE(nullptr, it);
    std::atomic<bool> freed{false};
    std::thread walker([&] {
        Sleep(150);
        freed = true;
        list->FreeIterator(it);
    });
    delete list;
    EXPECT_TRUE(freed.load()) << "the list went while the walk was open";
    walker.join();
    EXPECT_EQ(0, Item::alive);
}

// A walk whose thread never comes back must not hang the destroying thread
// for ever, nor have the elements freed under it.
TEST_F(ListTest, DestructorGivesUpOnAWalkThatNeverEnds) {
    alignas(cListe) unsigned char storage[sizeof(cListe)];
    auto* list = new (storage) cListe;
    std::vector<Item*> items;
    for (unsigned long id = 1; id <= 3; ++id) {
        items.push_back(new Item(id));
        list->Add(items.back());
    }
    cIterator* it = list->GetIterator();
    ASSERT_NE(nullptr, it);
    ASSERT_NE(nullptr, it->Next());
    std::atomic<bool> returned{false};
    std::thread destroyer([&] {
        list->~cListe();
        returned = true;
    });
    const bool ended = tdtest::WaitFor([&] { return returned.load(); }, 60000);
    if (!ended) {
        // Let the destructor finish so the thread can be joined.
        list->FreeIterator(it);
        it = nullptr;
    }
    destroyer.join();
    ASSERT_TRUE(ended) << "the destructor waits without a bound";
    EXPECT_EQ(3, Item::alive.load()) << "elements freed under an open walk";
    cListElement* next = it->Next();   // the walk goes on over live elements
    EXPECT_EQ(items[1], next);
    delete it;
    for (Item* i : items) delete i;
}

// Walkers run while another thread destroys the list: no walk may start once
// destruction has begun, and no walk may see a freed element. The list lives
// in storage that outlasts it so that a late walker only meets its mark.
// Every wait is bounded: a broken count shows as a failure, not a hang.
struct StressRound {
    alignas(cListe) unsigned char storage[sizeof(cListe)];
    cListe* list = nullptr;
    volatile LONG destroyed = 0;
    volatile LONG bad = 0;
    volatile LONG lateWalks = 0;
};

DWORD WINAPI Walker(void* arg) {
    auto* r = static_cast<StressRound*>(arg);
    for (int i = 0; i < 400; ++i) {
        cIterator* it = r->list->GetIterator();
        if (!it) {
            if (r->destroyed) return 0;
            continue;
        }
        if (r->destroyed) InterlockedIncrement(&r->lateWalks);
        int steps = 0;
        while (cListElement* e = it->Next()) {
            if (static_cast<Item*>(e)->magic != 0x5AFE || ++steps > 50) {
                InterlockedIncrement(&r->bad);
                break;
            }
        }
        r->list->FreeIterator(it);
    }
    return 0;
}

DWORD WINAPI Destroyer(void* arg) {
    auto* r = static_cast<StressRound*>(arg);
    r->list->~cListe();
    InterlockedExchange(&r->destroyed, 1);
    return 0;
}

TEST_F(ListTest, WalkersNeverStartOnAListBeingDestroyed) {
    for (int round = 0; round < 100; ++round) {
        // Left behind on a failure: a stuck thread may still touch it.
        auto* r = new StressRound;
        r->list = new (r->storage) cListe;
        for (unsigned long id = 0; id < 50; ++id) r->list->Add(new Item(id));
        HANDLE threads[4];
        for (int w = 0; w < 3; ++w) threads[w] = CreateThread(nullptr, 0, Walker, r, 0, nullptr);
        Sleep(round % 3);
        threads[3] = CreateThread(nullptr, 0, Destroyer, r, 0, nullptr);
        DWORD waited = WaitForMultipleObjects(4, threads, TRUE, 60000);
        for (HANDLE h : threads) CloseHandle(h);
        ASSERT_EQ(WAIT_OBJECT_0, waited) << "round " << round << ": a walker or the destructor is stuck";
        EXPECT_EQ(0, r->bad) << round;
        EXPECT_EQ(0, r->lateWalks) << round;
        EXPECT_EQ(0, Item::alive.load()) << round;
        EXPECT_EQ(nullptr, r->list->GetIterator());   // the mark outlives the destructor
        delete r;
    }
}

}  // namespace
