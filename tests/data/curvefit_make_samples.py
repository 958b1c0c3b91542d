#!/usr/bin/python3
"""Writes the ASC sample files of TCurveFit in this folder (run from tests/data)."""


def asc(cols, rows, flags, body, comment="sample"):
    head = [comment, "%s\t;nr. of columns" % cols, "%s\t;nr. of rows" % rows,
            flags + "\t;row attributes, column names, row names"]
    return ("\r\n".join(head + body) + "\r\n").encode()


samples = {
    # Attributes, quoted column names and quoted row names holding blanks, LF-only line ends
    # in the data part, two pairs on one line: the line structure is not checked.
    "curvefit_full_layout.asc": asc(2, 3, "TRUE TRUE TRUE", [
        '"first col"  "second col"',
        '7 "row one" 1.5\t-2',
        '8 "row two" 2.5e1 3.25\n9 "r3" -0.125 1E-3']),
    # A non-numeric y in the second row.
    "curvefit_bad_value.asc": asc(2, 3, "FALSE TRUE FALSE", ["x   y", "1\t2", "3\tabc", "5\t6"]),
    # A row attribute that is not a number.
    "curvefit_bad_attr.asc": asc(2, 2, "TRUE FALSE FALSE", ["1 1 2", "two 3 4"]),
    # The fourth flag, which this layout does not support.
    "curvefit_fourth_flag.asc": asc(2, 1, "FALSE TRUE FALSE TRUE", ["x y", "1 2"]),
    # Three columns.
    "curvefit_three_cols.asc": asc(3, 1, "FALSE FALSE FALSE", ["1 2 3"]),
    # 2^31 - 1 rows declared, two present: must fail without reserving for the declared count.
    "curvefit_huge_rows.asc": asc(2, 2147483647, "FALSE FALSE FALSE", ["1 2", "3 4"]),
    # Five rows declared, the file ends in the middle of the fourth.
    "curvefit_truncated.asc": asc(2, 5, "FALSE TRUE FALSE", ["x y", "1 2", "3 4", "5 6", "7"]),
    # A row name whose quote never closes: the name runs to the end of the file.
    "curvefit_open_quote.asc": asc(2, 2, "FALSE FALSE TRUE",
                                   ['"a" 1 2', '"b' + "x" * 20000 + " 3 4"]),
    # A number token far longer than any number.
    "curvefit_long_token.asc": asc(2, 1, "FALSE FALSE FALSE", ["1" * 100000 + " 2"]),
    # Only two header lines.
    "curvefit_short_header.asc": b"comment\r\n2\t;nr. of columns\r\n",
    # A row count that is not a number.
    "curvefit_bad_count.asc": asc(2, "many", "FALSE FALSE FALSE", ["1 2"]),
}

for name, data in samples.items():
    with open(name, "wb") as f:
        f.write(data)
