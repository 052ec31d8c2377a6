// Not a test source: not read, whatever it holds.
#define CHECK_THING(x) QVERIFY(x)
