#!/usr/bin/env python3
"""The careful peer of the benchmark: what a short Biopython script does for
the same queries, one search and one batched fetch of MEDLINE records per
query, against the E-utilities stand-in.

    biopython_peer.py BASE_URL PACE_MS QUERY...

Requests go to BASE_URL instead of the public service, spaced PACE_MS from
one start to the next (0: not spaced); Biopython's own spacing, meant for
the public service, is switched off. The benchmark times the whole
process, start and import included, as it times tessory; exits 2 when
Biopython is not installed.
"""
import io
import sys
import time

try:
    from Bio import Entrez
except ImportError:
    sys.exit(2)

PUBLIC = "https://eutils.ncbi.nlm.nih.gov"


def main():
    base, pace, queries = sys.argv[1].rstrip("/"), int(sys.argv[2]) / 1000.0, sys.argv[3:]
    Entrez.email = "bench@example.org"
    Entrez.tool = "lorvane-bench"
    build = Entrez._build_request
    Entrez._build_request = lambda cgi, *args, **kwargs: build(cgi.replace(PUBLIC, base), *args, **kwargs)
    last = [0.0]

    def paced(call, **kwargs):
        wait = last[0] + pace - time.monotonic()
        if wait > 0:
            time.sleep(wait)
        last[0] = time.monotonic()
        Entrez._open.previous = 0.0  # no spacing of Biopython's own
        with call(db="pubmed", **kwargs) as handle:
            data = handle.read()
        return data.encode() if isinstance(data, str) else data

    for query in queries:
        found = Entrez.read(io.BytesIO(paced(Entrez.esearch, term=query, retmax=50)))
        if found["IdList"]:
            paced(Entrez.efetch, id=",".join(found["IdList"]), rettype="medline", retmode="text")


if __name__ == "__main__":
    main()
