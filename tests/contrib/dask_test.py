#!/usr/bin/python3
"""The Dask helper on a real cluster: two worker processes talking over TCP cut 1,000,000 generated lines
in blocks, and the joined cut is the bytes of one plain run, also when a worker is killed midway.
Usage: dask_test.py PATH/TO/quarvel-batch"""

import logging
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "contrib", "dask"))
import distributed  # noqa: E402
import quarvel_dask  # noqa: E402

LAYOUT = ["--field", "Id:1:7", "--field", "Name:9:12", "--field", "City:22:10", "--trim", "--separator", "|"]


def generate(path, lines):
    # Every line end the readers know, Windows-1252 letters, lines shorter than the fields, no last end.
    names = [b"Dupont", b"M\xe9nard", b"", b"\xc0ngstr\xf6m", b"Lee", b"O'Hara \x80"]
    ends = [b"\r\n", b"\r\n", b"\n", b"\r\n", b"\r", b"\r\n", b"\n"]
    with open(path, "wb") as f:
        f.write(b"".join(b"%07d %-12s %s%s" % (i, names[i % 6], b"Lyon" if i % 5 else b"", ends[i % 7])
                         for i in range(lines - 1)) + b"%07d end" % lines)


def gone(pid):
    for _ in range(600):
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            return True
        time.sleep(0.05)
    return False


class DaskTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()
        cls.data = os.path.join(cls.dir.name, "big.txt")
        generate(cls.data, 1_000_000)
        plain = [BATCH, "extract", "--fast", "--input", cls.data, "--output", "-", "--encoding", "cp1252"]
        cls.expected = subprocess.run(plain + LAYOUT, stdout=subprocess.PIPE, check=True).stdout
        cls.cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                               protocol="tcp", host="127.0.0.1", dashboard_address=None,
                                               silence_logs=logging.CRITICAL)
        cls.client = distributed.Client(cls.cluster, timeout=30)

    @classmethod
    def tearDownClass(cls):
        cls.client.close()
        cls.cluster.close()
        cls.dir.cleanup()

    def cut(self, count, options=LAYOUT):
        return quarvel_dask.cut_blocks([self.data], options, encoding="cp1252", program=BATCH,
                                       blocksize=os.path.getsize(self.data) // count + 1)

    def test_joined_blocks_are_one_plain_run(self):
        blocks = self.cut(10)
        self.assertGreaterEqual(len(blocks), 8)
        quarvel_dask.write_joined(blocks, os.path.join(self.dir.name, "joined.txt"), self.client)
        with open(os.path.join(self.dir.name, "joined.txt"), "rb") as f:
            self.assertTrue(f.read() == self.expected, "the joined blocks differ from the plain run")

    def test_a_killed_worker_costs_time_not_bytes(self):
        self.client.wait_for_workers(2, timeout=30)
        pids = self.client.run(os.getpid)
        self.assertTrue(all(a.startswith("tcp://127.0.0.1:") for a in pids), pids)
        self.assertEqual(2, len(set(pids.values()) - {os.getpid()}))
        futures = self.client.compute(self.cut(24))
        first = next(iter(distributed.wait(futures, timeout=60, return_when="FIRST_COMPLETED").done))
        holder = self.client.who_has(first)[first.key][0]
        os.kill(pids[holder], signal.SIGKILL)
        self.assertTrue(gone(pids[holder]))
        # The dead worker held a finished block, which can only come back computed again.
        distributed.wait(futures, timeout=90)
        self.assertTrue(b"".join(self.client.gather(futures)) == self.expected,
                        "the blocks differ from the plain run after a worker died")

    def test_dataframe_columns_are_the_fields(self):
        small = os.path.join(self.dir.name, "small.txt")
        with open(small, "wb") as f:
            f.write(b'12\t"ab\x81\r\n34  \xe9\r\n\r\n5')
        frame = quarvel_dask.to_dataframe([small], ["--field", "A b:1:2", "--field", "C:3:5"],
                                          encoding="cp1252", blocksize=4, program=BATCH)
        self.assertGreater(frame.npartitions, 2)
        got = frame.compute()
        self.assertEqual(["A b", "C"], list(got.columns))
        self.assertEqual([["12", '\t"ab\x81'], ["34", "  \xe9"], ["", ""], ["5", ""]], got.values.tolist())

    def test_refusals_carry_the_reason(self):
        for options, error, text in [
                (["--field", "A:0:2"], quarvel_dask.QuarvelError,
                 "status 1: quarvel-batch: --field 1: the start or the length is 0"),
                (["--field", "A:1:2", "--samp=5"], ValueError, "--sample")]:
            with self.subTest(options=options), self.assertRaisesRegex(error, text):
                quarvel_dask.write_joined(self.cut(2, options), self.dir.name + "/x.txt", self.client)
        self.assertEqual([], [n for n in os.listdir(self.dir.name) if "x.txt" in n])


if __name__ == "__main__":
    BATCH = os.path.abspath(sys.argv.pop(1))
    signal.alarm(240)  # a cluster that hangs fails the run instead of holding it
    unittest.main()
