/* The fixture libraries carry only resources; the linker still wants one object file. */
int version_fixture_unused;
