; Test data for the Intel HEX reader: a 12C509 with code in its upper page.
; Assemble: gpasm blink509.asm (INHX32, LF)
;           gpasm -a inhx8m -n -o blink509-inhx8m.hex blink509.asm (INHX8M, CR LF)
        list    p=12c509
        #include <p12c509.inc>
        __config _MCLRE_ON & _CP_OFF & _WDT_ON & _XT_OSC        ; 0x0FFD

        org     0x000
start   movwf   OSCCAL
        movlw   b'11111101'
        tris    GPIO
        bsf     STATUS, PA0
        goto    far

        org     0x3F0           ; page 1, beyond the 12C508's memory
far     bsf     GPIO, 1
        clrwdt
        bcf     GPIO, 1
        goto    far
        end
