#!/usr/bin/python3
"""Quarvel's fast extract on a Dask cluster.

Each input file is read in blocks that end at a record end; each block goes through
``quarvel-batch extract --fast --input - --output -`` on a worker, and the cut blocks come back in the
order of the input: joined into one text file, or as a dask.dataframe of text columns named after the
fields. The fast extract keeps no state from one line to the next and writes no header, so the joined
blocks are the bytes of one plain run over the whole file.

From Python, with a cluster of your own (the workers need this module too)::

    import distributed, quarvel_dask
    client = distributed.Client("tcp://scheduler:8786")
    client.upload_file("quarvel_dask.py")
    blocks = quarvel_dask.cut_blocks(["/data/big.txt"], ["--layout", "/data/L.tab", "--trim"],
                                     encoding="cp1252")
    quarvel_dask.write_joined(blocks, "/data/big.csv", client)
    frame = quarvel_dask.to_dataframe(["/data/big.txt"], ["--layout", "/data/L.tab"], encoding="cp1252")

From a shell (a cluster of N local worker processes, or the one at --scheduler)::

    contrib/dask/quarvel_dask.py --workers 2 --encoding cp1252 --output big.csv big.txt -- --layout L.tab

Every worker runs quarvel-batch (found on its PATH, or give program=) and must see the input files and
the layout at the same paths. The options are quarvel-batch extract's (the layout, --separator, --trim,
the filters, --quote, --line-end); the helper sets --fast, --input and --output. --sample is refused, as
it would keep N lines per block. Standard input has no name to guess an encoding from, so it is given
here: cp1252 (a column is a byte) or utf-8 (a column is a character), as the file is.

A block ends after a LF, so never between the CR and the LF of a CR LF; lines that end in a lone CR stay
inside blocks, and a file whose lines all end so is cut as one block.
"""

import codecs
import csv
import io
import logging
import os
import subprocess
import sys

import dask
import dask.bytes


class QuarvelError(RuntimeError):
    """quarvel-batch refused a block or failed on it; the message is its own."""


def _c1_controls(error):
    # Quarvel reads the five bytes Windows-1252 leaves undefined as the C1 controls of the same number.
    return chr(error.object[error.start]), error.start + 1


codecs.register_error("quarvel-c1", _c1_controls)


def _extract(program, arguments, data):
    done = subprocess.run([program, "extract"] + arguments, input=data, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE)
    if done.returncode != 0:
        message = done.stderr.decode("utf-8", "replace").strip()
        raise QuarvelError("%s exited with status %d: %s" % (program, done.returncode, message))
    return done.stdout


def cut_block(data, program, options):
    """One block's cut: the bytes quarvel-batch's fast extract writes for `data`."""
    return _extract(program, ["--fast", "--input", "-", "--output", "-"] + list(options), data)


def _extract_options(options, encoding):
    for option in options:
        name = option.split("=", 1)[0]
        if len(name) > 3 and "--sample".startswith(name):
            raise ValueError("--sample would keep its lines in each block: take a sample of the result")
    if encoding not in ("cp1252", "utf-8"):
        raise ValueError("encoding is cp1252 or utf-8, not %r" % (encoding,))
    return list(options) + ["--encoding", encoding]


def cut_blocks(paths, options, *, encoding, blocksize="64 MiB", program="quarvel-batch"):
    """One dask.delayed per block, in the order of `paths` and of each file, each giving the block's cut
    lines as bytes."""
    options = _extract_options(options, encoding)
    _, per_file = dask.bytes.read_bytes(paths, delimiter=b"\n", blocksize=blocksize, sample=False)
    cut = dask.delayed(cut_block, pure=True)
    return [cut(block, program, options) for blocks in per_file for block in blocks]


def write_joined(blocks, output, client=None, overwrite=False):
    """Writes the cut blocks one after the other into `output`, replacing it only when complete (and only
    with `overwrite`). With a distributed client each block is written and let go as soon as it and those
    before it are done."""
    if os.path.exists(output) and not overwrite:
        raise FileExistsError("%s exists already (--overwrite or overwrite=True replaces it)" % output)
    output = os.path.abspath(output)
    temporary = os.path.join(os.path.dirname(output), ".%s.%d.part" % (os.path.basename(output), os.getpid()))
    handle = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o666)
    try:
        with os.fdopen(handle, "wb") as out:
            if client is None:
                for data in dask.compute(*blocks):
                    out.write(data)
            else:
                futures = client.compute(blocks)
                for i, future in enumerate(futures):
                    out.write(future.result())
                    futures[i] = None
        os.replace(temporary, output)
    except BaseException:
        os.unlink(temporary)
        raise


def _python_codec(encoding):
    return ("utf-8", "surrogateescape") if encoding == "utf-8" else ("cp1252", "quarvel-c1")


def field_names(options, encoding, program="quarvel-batch"):
    """The names of the fields, as the header of quarvel-batch's standard extract gives them."""
    header = _extract(program, ["--input", "-", "--output", "-", "--tab", "--quote", "--line-end", "lf"] +
                      _extract_options(options, encoding), b"")
    header = header.decode(*_python_codec(encoding)).rstrip("\n")
    return next(csv.reader([header], delimiter="\t"))


def _empty_frame(names):
    import pandas

    return pandas.DataFrame({name: pandas.Series(dtype=object) for name in names})


def _frame(data, names, encoding):
    import pandas

    if not data:
        return _empty_frame(names)
    text = data.decode(*_python_codec(encoding))
    return pandas.read_csv(io.StringIO(text), sep="\t", header=None, names=names, dtype=str, quotechar='"',
                           keep_default_na=False, na_filter=False, skip_blank_lines=False, engine="c")


def to_dataframe(paths, options, *, encoding, blocksize="64 MiB", program="quarvel-batch"):
    """A dask.dataframe of the cut lines, one partition a block, a text column a field named after it.
    The options take no separator, --quote or --line-end: the helper sets them for reading back."""
    import dask.dataframe

    names = dask.delayed(field_names)(options, encoding, program).compute()
    blocks = cut_blocks(paths, list(options) + ["--tab", "--quote", "--line-end", "lf"], encoding=encoding,
                        blocksize=blocksize, program=program)
    frame = dask.delayed(_frame, pure=True)
    return dask.dataframe.from_delayed([frame(block, names, encoding) for block in blocks],
                                       meta=_empty_frame(names))


def main(argv):
    import argparse

    ours, options = (argv[:argv.index("--")], argv[argv.index("--") + 1:]) if "--" in argv else (argv, [])
    parser = argparse.ArgumentParser(
        description="Cuts fixed-column files on a Dask cluster with quarvel-batch's fast extract.",
        usage="%(prog)s [--workers N | --scheduler ADDRESS] --encoding cp1252|utf-8 --output FILE "
              "[--blocksize SIZE] [--program PATH] [--overwrite] INPUT... -- EXTRACT OPTIONS")
    parser.add_argument("inputs", nargs="+", metavar="INPUT")
    parser.add_argument("--output", required=True, help="the joined result")
    parser.add_argument("--encoding", required=True, choices=["cp1252", "utf-8"])
    parser.add_argument("--workers", type=int, default=os.cpu_count(),
                        help="local worker processes (default: one a core)")
    parser.add_argument("--scheduler", help="the address of a running cluster's scheduler instead")
    parser.add_argument("--blocksize", default="64 MiB")
    parser.add_argument("--program", default="quarvel-batch")
    parser.add_argument("--overwrite", action="store_true", help="replace an existing result")
    args = parser.parse_args(ours)
    import contextlib
    import distributed

    with contextlib.ExitStack() as stack:
        if args.scheduler:
            client = stack.enter_context(distributed.Client(args.scheduler))
            client.upload_file(__file__)
        else:
            cluster = stack.enter_context(distributed.LocalCluster(
                n_workers=args.workers, threads_per_worker=1, processes=True, host="127.0.0.1",
                dashboard_address=None, silence_logs=logging.ERROR))
            client = stack.enter_context(distributed.Client(cluster))
        try:
            blocks = cut_blocks(args.inputs, options, encoding=args.encoding, blocksize=args.blocksize,
                                program=args.program)
            write_joined(blocks, args.output, client, args.overwrite)
        except (QuarvelError, ValueError, OSError) as error:
            print("quarvel_dask: %s" % error, file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    # Through its module name, so that the workers find the functions they run by that name.
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import quarvel_dask

    sys.exit(quarvel_dask.main(sys.argv[1:]))
